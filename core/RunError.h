#pragma once
// A trapped run-time error: a number and a description, the two things the error reporter shows
// and logs. Core routines raise these with the numbers and texts users already know.

#include <stdexcept>
#include <string>

namespace vt::core {

class RunError : public std::runtime_error {
public:
    RunError(long number, const std::string& description)
        : std::runtime_error(description), number_(number) {}
    long number() const { return number_; }
    std::string description() const { return what(); }

private:
    long number_;
};

inline RunError invalidCallError() { return RunError(5, "Invalid procedure call or argument"); }
inline RunError overflowError() { return RunError(6, "Overflow"); }
inline RunError subscriptError() { return RunError(9, "Subscript out of range"); }
inline RunError typeMismatchError() { return RunError(13, "Type mismatch"); }
inline RunError invalidNullError() { return RunError(94, "Invalid use of Null"); }
inline RunError keyExistsError() {
    return RunError(457, "This key is already associated with an element of this collection");
}
inline RunError noCurrentRecordError() {
    return RunError(3021,
                    "Either BOF or EOF is True, or the current record has been deleted. "
                    "Requested operation requires a current record.");
}

}  // namespace vt::core

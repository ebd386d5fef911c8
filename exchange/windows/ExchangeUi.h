#pragma once
// What the Exchange window's logic asks of the windows: everything goes to the main window's sink
// (whose boxes belong to the window in front, so the network editor's questions and a script's
// MsgBox come up over the Exchange window) except yielding, which runs this thread's window events
// at most every 50 ms, so a session keeps the window alive and its Cancel button pressable.

#include "core/UiSink.h"

#include <QElapsedTimer>

namespace vt::exchange {

class ExchangeUi final : public core::ForwardingSink {
public:
    explicit ExchangeUi(core::UiSink& inner);
    void yield() override;

private:
    QElapsedTimer lastYield_;
};

}  // namespace vt::exchange

#pragma once
// Encoder: the eight conversions between byte arrays, texts and hexadecimal texts.

#include "platform/automation/Object.h"

namespace keystrand {

class Encoder final : public vt::automation::Dispatch<Encoder> {
public:
    static const vt::automation::Members<Encoder>& members();
};

}  // namespace keystrand

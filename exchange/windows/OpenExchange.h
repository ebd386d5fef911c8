#pragma once
// Tools > Exchange...: shows the one Exchange window, loading it first when it is not shown.

#include "core/Services.h"

class QWidget;

namespace vt::exchange {

QWidget* OpenExchangeWindow(const core::Services& services, QWidget* mainWindow);

}  // namespace vt::exchange

#include "platform/widgets/ProgramExit.h"

#include <QVariant>
#include <QWidget>

namespace vt::widgets {

namespace {
constexpr const char* kProperty = "vtClosingAtExit";
}

void MarkClosingAtExit(QWidget* window) { window->setProperty(kProperty, true); }

bool ClosingAtExit(const QWidget* window) { return window->property(kProperty).toBool(); }

}  // namespace vt::widgets

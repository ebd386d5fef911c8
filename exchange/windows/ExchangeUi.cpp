#include "exchange/windows/ExchangeUi.h"

#include <QCoreApplication>

namespace vt::exchange {

ExchangeUi::ExchangeUi(core::UiSink& inner) : ForwardingSink(inner) { lastYield_.start(); }

void ExchangeUi::yield() {
    if (lastYield_.elapsed() < 50) return;
    lastYield_.restart();
    QCoreApplication::processEvents();
}

}  // namespace vt::exchange

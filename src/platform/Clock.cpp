#include "platform/Clock.h"

#include <chrono>

qint64 monotonicMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

namespace {
Timeouts g_timeouts;
}

Timeouts& timeouts() { return g_timeouts; }

void resetTimeouts() { g_timeouts = Timeouts{}; }

void scaleTimeouts(int num, int den)
{
    Timeouts d;
    auto s = [&](int v) { return qMax(1, v * num / den); };
    g_timeouts = Timeouts{s(d.replyMs),      s(d.resendMs),     s(d.handshakeMs),
                          s(d.readyMs),      s(d.readyRetryMs), s(d.settleMs),
                          s(d.identDelayMs), s(d.searchMs),     s(d.resultsMs)};
}

#pragma once
// Runs a save from the event loop while a timer ticks, for the window tests that point a writer
// at a FIFO, a socket or a device: the save must return at once and the loop must go on ticking.
// A save that waits in open(2) for a FIFO's reader is set free by a watchdog after a few seconds,
// so the test fails instead of hanging.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>

#include "tests/support/odd_targets.h"

// Runs `save` from the event loop with a timer of 10 ms ticking; `fifo` (or "") is the FIFO the
// save might wait on. Fails the test when the save waited for a reader, did not return within two
// seconds, or the timer stopped ticking around it.
inline void SaveWithoutBlocking(const std::function<void()>& save, const std::string& fifo = {}) {
    vm::test::FifoWatchdog watchdog(
        fifo.empty() ? std::vector<std::string>{} : std::vector<std::string>{fifo}, 3);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);
    bool done = false;
    QElapsedTimer clock;
    QTimer::singleShot(0, [&] {
        clock.start();
        save();
        done = true;
    });
    const bool returned = QTest::qWaitFor([&] { return done; }, 10000);
    const qint64 took = returned ? clock.elapsed() : -1;
    QTest::qWait(200);
    timer.stop();
    watchdog.Release();
    EXPECT_FALSE(watchdog.Fired()) << "the save waited for a reader of " << fifo;
    ASSERT_TRUE(returned) << "the save never returned";
    EXPECT_LT(took, 2000) << "the save held the event loop";
    EXPECT_GE(ticks, 10) << "the event loop stopped";
}

#include "support/transfer_fakes.h"
#include "transfer/queued_send_view.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <thread>

// A send thread floods the view with line updates; the GUI thread sees them
// in order, coalesced, and every question is answered on the GUI thread.
TEST(QueuedSendView, CoalescesLineUpdatesAndKeepsOrder)
{
    RecordingView target;
    target.answers = {BoxButton::No};
    QueuedSendView view(target);
    std::atomic<bool> done{false};
    int answer = 0;
    std::thread sender([&] {
        view.setTransferStatus(2, "waiting");
        for (int line = 1; line <= 100000; ++line) {
            view.highlightLine(line);
            view.setProgress(100000, line);
            view.setTransferStatus(1, QString::number(line));
        }
        BoxRequest box;
        box.text = "go on?";
        box.buttons = BoxButton::Yes | BoxButton::No;
        answer = view.ask(box);
        view.setTransferStatus(2, "done");
        view.transferEnded(true);
        done = true;
    });
    while (!done || target.ended.isEmpty())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    sender.join();

    EXPECT_EQ(answer, BoxButton::No);
    EXPECT_EQ(target.asked, QStringList({"go on?"}));
    EXPECT_EQ(target.highlighted.last(), 100000);
    EXPECT_LT(target.highlighted.size(), 100000) << "updates are coalesced";
    EXPECT_TRUE(std::is_sorted(target.highlighted.begin(), target.highlighted.end()));
    EXPECT_EQ(target.progress, qMakePair(100000, 100000));
    EXPECT_EQ(target.transferPanels[1], "100000");
    EXPECT_EQ(target.statusHistory.filter("2:"), QStringList({"2:waiting", "2:done"}));
    EXPECT_EQ(target.ended, QList<bool>({true}));
}

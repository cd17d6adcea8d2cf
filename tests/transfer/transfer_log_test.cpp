#include "platform/cp932.h"
#include "support/temp_home.h"
#include "transfer/transfer_log.h"
#include "transfer/transfer_state.h"

#include <gtest/gtest.h>

TEST(TransferLog, LinesCarryDateTimeAndTwoBlanks)
{
    const QDateTime when(QDate(2009, 6, 10), QTime(9, 4, 58));
    EXPECT_EQ(LogLine(QString::fromUtf8("  受信完了\n"), when),
              QString::fromUtf8("2009/06/10 09:04:58  受信完了\n"));
    EXPECT_EQ(LogLine("  COM1 ﾎﾟｰﾄｵｰﾌﾟﾝ", when), "2009/06/10 09:04:58  COM1 ﾎﾟｰﾄｵｰﾌﾟﾝ\n");
}

TEST(TransferLog, FileHoldsExactlyTheCp932BytesAndIsReplaced)
{
    TempHome home;
    TransferState state;
    state.log(QString::fromUtf8("  送信\n"));
    state.log(QString::fromUtf8("  送信ﾌｧｲﾙ名は/nc/O1.NC\n"));
    ASSERT_TRUE(WriteTransferLog(state.LogText, 1));
    const QByteArray bytes = home.read("kelvra_S.log");
    EXPECT_EQ(bytes, Cp932::encode(state.LogText));
    EXPECT_FALSE(bytes.contains('\r'));
    EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(bytes.count('\n'), 2);

    ASSERT_TRUE(WriteTransferLog("second\n", 1));
    EXPECT_EQ(home.read("kelvra_S.log"), "second\n");

    ASSERT_TRUE(WriteTransferLog("r\n", 2));
    ASSERT_TRUE(WriteTransferLog("d\n", 3));
    EXPECT_EQ(home.read("kelvra_R.log"), "r\n");
    EXPECT_EQ(home.read("kelvra_D.log"), "d\n");
    EXPECT_FALSE(WriteTransferLog("x\n", 4));

    QString text;
    EXPECT_TRUE(ReadTransferLog(2, &text));
    EXPECT_EQ(text, "r\n");
}

#include "support/qt_print.h"
#include "platform/desktop_services.h"
#include "transfer/send_command.h"
#include "transfer/send_filter.h"
#include "transfer/send_progress.h"
#include "transfer/transfer_state.h"

#include <gtest/gtest.h>

TEST(SendFilter, LinesGoOutAsTheControlExpects)
{
    struct Case
    {
        const char* line;
        const char* sendMsg;
        bool commentsEndLine, dropN, dropF;
        const char* sent; // nullptr: the whole line is skipped
    };
    const Case cases[] = {
        {"G0 X1.", "", true, false, false, "G0 X1."},
        {"N0010G01F100.", "", true, true, true, "G01F100"},
        {"N0010G01F100.", "", true, false, false, "N0010G01F100."},
        {"G01 X10. ;COMMENT", "", true, false, false, "G01 X10. "},
        {"G01 X10. ;COMMENT", "", false, false, false, "G01 X10. ;COMMENT"},
        {"G01 X10. 'NOTE", "", true, false, false, "G01 X10. "},
        {"(A;B%)", "", true, false, false, "(A;B%)"},
        {"M01 M03", "M01", true, false, false, "    M03"},
        {"%", "", true, false, false, nullptr},
        {"%%", "", true, false, false, ""},
        {"G1\tX1%", "", true, false, false, "G1X1"},
        {"F1.5", "", true, false, true, "F1.5"},
        {"F100.M3", "", true, false, true, "F100M3"},
        {"F100.", "", true, false, true, "F100"},
        // The feed word ends at the next address: X10. keeps its decimal point.
        {"G01F100X10.", "", true, false, true, "G01F100X10."},
        {"G01F100 X10.", "", true, false, true, "G01F100 X10."},
        // Inside parentheses nothing is filtered.
        {"(F100.)", "", true, false, true, "(F100.)"},
        // Only N at the very start is a sequence number.
        {"G01 N10", "", true, true, false, "G01 N10"},
        {"N10 G01", "", true, true, false, " G01"},
        // A long string not to send becomes at most 29 blanks.
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789X", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789", true,
         false, false, "                             X"},
    };
    for (const Case& c : cases) {
        SendFilterSettings settings;
        settings.SendMsg = c.sendMsg;
        settings.commentsEndLine = c.commentsEndLine;
        settings.dropSequenceNumbers = c.dropN;
        settings.dropFeedPoint = c.dropF;
        const FilteredLine out = FilterSendLine(c.line, settings);
        if (!c.sent) {
            EXPECT_TRUE(out.skipLine) << c.line;
        } else {
            EXPECT_FALSE(out.skipLine) << c.line;
            EXPECT_EQ(out.bytes, QByteArray(c.sent)) << c.line;
        }
    }
}

TEST(SendProgress, EstimateUsesTheRateOfTheLastTenSeconds)
{
    TransferState s;
    s.TotalBytes = 5000;
    s.SentBytes = 960;
    EstimateRemainingTime(s);
    EXPECT_EQ(s.RemainingSeconds, 42); // (5000 - 960) div 96
    EXPECT_EQ(s.RateBaseBytes, 960);

    s.SentBytes = 970; // 10 bytes in 10 s: too slow to say, keep the estimate
    EstimateRemainingTime(s);
    EXPECT_EQ(s.RemainingSeconds, 42);
    EXPECT_EQ(s.RateBaseBytes, 960);
}

TEST(SendProgress, Texts)
{
    EXPECT_EQ(FormatRemainingAmount(1234567, false), QString::fromUtf8("1,234,567ﾊﾞｲﾄ"));
    EXPECT_EQ(FormatRemainingAmount(0, false), QString::fromUtf8("0ﾊﾞｲﾄ"));
    EXPECT_EQ(FormatRemainingAmount(1000, true), QString::fromUtf8("2.54ﾒｰﾄﾙ"));
    EXPECT_EQ(FormatRemainingTime(0), QString::fromUtf8("(約 0秒)"));
    EXPECT_EQ(FormatRemainingTime(42), QString::fromUtf8("(約 42秒)"));
    EXPECT_EQ(FormatRemainingTime(185), QString::fromUtf8("(約 3分05秒)"));
    EXPECT_EQ(FormatRemainingTime(3725), QString::fromUtf8("(約 1時02分)"));
    EXPECT_EQ(SendCodeText(0) + SpeedText(2) + StopBitsText(0), "ISO  : 9600, 1");
    EXPECT_EQ(SendCodeText(1) + SpeedText(3) + StopBitsText(7), "EIA  :14400, 1.5");
    EXPECT_EQ(SpeedText(5), QString::fromUtf8(": 機器,"));
}

TEST(NotificationMail, HeadersStayOnOneLineAndJapaneseIsEncoded)
{
    const QByteArray mail = ComposeNotificationMail(
        "op@example.com\nBcc: x@example.com", QString::fromUtf8("送信完了"),
        QString::fromUtf8("開始 2026/12/11 10:00:00\n終了 2026/12/11 10:05:00\n送信無事完了しました｡"));
    EXPECT_TRUE(mail.startsWith("To: op@example.com Bcc: x@example.com\n"));
    EXPECT_FALSE(mail.contains("\nBcc:"));
    EXPECT_TRUE(mail.contains("Subject: =?UTF-8?B?" + QString::fromUtf8("送信完了").toUtf8().toBase64() +
                              "?=\n"));
    EXPECT_TRUE(mail.endsWith(QString::fromUtf8("\n\n開始 2026/12/11 10:00:00\n終了 2026/12/11 "
                                                "10:05:00\n送信無事完了しました｡\n")
                                  .toUtf8()));
    EXPECT_EQ(SplitCommand("/usr/sbin/sendmail -t"), QStringList({"/usr/sbin/sendmail", "-t"}));
    EXPECT_EQ(SplitCommand("\"/opt/my mail\" -t"), QStringList({"/opt/my mail", "-t"}));
}

TEST(SendCommand, ModeAndCompletionMail)
{
    EXPECT_EQ(ChooseSendMode("N", 0), SendMode::WholeData);
    EXPECT_EQ(ChooseSendMode("N", 1), SendMode::Dnc);
    EXPECT_EQ(ChooseSendMode("Y", 1), SendMode::Dnc) << "a DNC run wins over selection";
    EXPECT_EQ(ChooseSendMode("Y", 0), SendMode::Selective);
    EXPECT_EQ(ChooseSendMode("", 0), SendMode::Selective) << "anything but N selects";

    SendSettings s;
    s.Mail_Flg = "Y";
    s.Mail_Address = "op@example.com";
    s.Mail_Subject = "NC";
    const QDateTime start(QDate(2026, 12, 11), QTime(10, 0, 0));
    const QDateTime end(QDate(2026, 12, 11), QTime(10, 5, 3));
    const auto mail = CompletionMail(s, true, start, end, false);
    ASSERT_TRUE(mail.has_value());
    EXPECT_EQ(mail->body, QString::fromUtf8("開始 2026/12/11 10:00:00\n終了 2026/12/11 10:05:03\n送信中断しました｡"));
    EXPECT_EQ(CompletionMail(s, true, QDateTime(), end, true)->body,
              QString::fromUtf8("終了 2026/12/11 10:05:03\n送信無事完了しました｡"));
    EXPECT_FALSE(CompletionMail(s, false, start, end, true)) << "a reception never mails";
    s.Mail_Address = "op.example.com";
    EXPECT_FALSE(CompletionMail(s, true, start, end, true)) << "no at sign, no mail";
    s.Mail_Address = "op@example.com";
    s.Mail_Flg = "N";
    EXPECT_FALSE(CompletionMail(s, true, start, end, true));
}

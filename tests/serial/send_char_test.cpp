#include "link_fixture.h"

#include <atomic>
#include <thread>

namespace {

class SendCharMemory : public LinkFixture
{
protected:
    void SetUp() override
    {
        line = useMemoryLine();
        state.TransferDirection = 1;
        ASSERT_TRUE(link.OpenPort(1));
        link.ConversionMode = ConversionMode::Iso;
        state.LogText.clear();
        view.lamps.clear();
    }
    std::shared_ptr<MemoryLine> line;
};

TEST_F(SendCharMemory, SpacesFollowOptionOp4AndTheCode)
{
    options.op4 = "Y";
    EXPECT_FALSE(link.SendChar(' '));
    EXPECT_TRUE(line->output.isEmpty());

    options.op4 = "N";
    EXPECT_FALSE(link.SendChar(' '));
    link.ConversionMode = ConversionMode::Plain;
    EXPECT_FALSE(link.SendChar(' '));
    link.ConversionMode = ConversionMode::Eia;
    EXPECT_FALSE(link.SendChar(' '));
    EXPECT_EQ(line->output, QByteArray("\xA0\x20\x10", 3)); // ISO gives the space even parity
}

TEST_F(SendCharMemory, CharactersWithoutEiaCodeAreSkippedAsSent)
{
    link.ConversionMode = ConversionMode::Eia;
    EXPECT_FALSE(link.SendChar('#'));
    EXPECT_FALSE(link.SendChar(0x93));
    EXPECT_TRUE(line->output.isEmpty());
}

TEST_F(SendCharMemory, ControlBytesOtherThanPauseAreDropped)
{
    line->input = QByteArray("%\xA5\x11X", 4);
    EXPECT_FALSE(link.SendChar('G'));
    EXPECT_EQ(line->output, "G");
    EXPECT_TRUE(line->input.isEmpty());
}

TEST_F(SendCharMemory, PauseThenResumeThenDataWritesTheCharacter)
{
    line->input = QByteArray("\x93\x11XY", 4);
    EXPECT_FALSE(link.SendChar('G'));
    EXPECT_EQ(line->output, "G");
    EXPECT_TRUE(line->input.isEmpty());
}

TEST_F(SendCharMemory, PausedSendWaitsUntilResume)
{
    line->input = QByteArray("\x93", 1);
    int waits = 0;
    line->onWait = [&](MemoryLine& l) {
        if (++waits == 5)
            l.input.append('\x11');
    };
    EXPECT_FALSE(link.SendChar('G'));
    EXPECT_EQ(waits, 5);
    EXPECT_EQ(line->output, "G");
}

TEST_F(SendCharMemory, CancelWhilePausedStopsWithoutWriting)
{
    line->input = QByteArray("\x93", 1);
    line->onWait = [](MemoryLine& l) { l.input.append("A\x18"); };
    EXPECT_TRUE(link.SendChar('G'));
    EXPECT_TRUE(line->output.isEmpty());
    EXPECT_TRUE(state.LogText.isEmpty());
}

TEST_F(SendCharMemory, OperatorStopWhilePausedStops)
{
    line->input = QByteArray("\x93", 1);
    line->onWait = [this](MemoryLine&) { state.AbortRequested = true; };
    EXPECT_TRUE(link.SendChar('G'));
    EXPECT_TRUE(line->output.isEmpty());
}

TEST_F(SendCharMemory, AWaitThatFailsWhilePausedStopsInsteadOfSpinning)
{
    line->input = QByteArray("\x93", 1);
    line->failing.insert("waitForInput");
    EXPECT_TRUE(link.SendChar('G'));
    EXPECT_TRUE(line->output.isEmpty());
    EXPECT_EQ(view.boxTexts(), QStringList("COM5の通信ﾎﾟｰﾄが使用できなくなりました｡!!"));
}

TEST_F(SendCharMemory, PauseCharacterFollowsOptionDc3)
{
    options.DC3_0X93 = "N";
    line->input = QByteArray("\x93\x13", 2); // 0x93 is noise now; 0x13 pauses
    line->onWait = [](MemoryLine& l) { l.input.append('\x18'); };
    EXPECT_TRUE(link.SendChar('G'));
}

TEST_F(SendCharMemory, CarrierDetectOffStopsASendThatWaitsForTheControl)
{
    line->modem = ModemStatus{true, true, false};
    EXPECT_TRUE(link.SendChar('G'));
    EXPECT_TRUE(line->output.isEmpty());
    EXPECT_EQ(logMessages(), QStringList({"  回線ﾁｪｯｸ異常の為送信中止", "  ※回線ﾁｪｯｸを行わない:N→Y"}));
}

TEST_F(SendCharMemory, CarrierDetectIsNotCheckedOtherwise)
{
    line->modem = ModemStatus{true, true, false};
    options.op13 = "Y";
    EXPECT_FALSE(link.SendChar('1'));
    options.op13 = "N";
    profile.send.Signal = 1;
    EXPECT_FALSE(link.SendChar('2'));
    profile.send.Signal = 0;
    state.TransferDirection = 2; // a reception never stops for carrier here
    EXPECT_FALSE(link.SendChar('3'));
    EXPECT_EQ(line->output, "\xB1\xB2\x33");
}

TEST_F(SendCharMemory, DsrOffStopsWithOp14InEitherDirection)
{
    line->modem = ModemStatus{true, false, true};
    EXPECT_FALSE(link.SendChar('1')); // op14 "N": lamp only
    EXPECT_EQ(view.lamps, QStringList("DSR red")); // CTS unchanged since the open

    options.op14 = "Y";
    for (int direction : {1, 2}) {
        state.TransferDirection = direction;
        state.LogText.clear();
        EXPECT_TRUE(link.SendChar('2'));
        EXPECT_EQ(logMessages(), QStringList({"  DSR信号OFFの為送信中止", "  ※DSR信号を併用処理を行う:Y→N"}));
    }
    EXPECT_EQ(line->output, "\xB1");
}

TEST_F(SendCharMemory, LampsFollowTheModemLinesAtEveryCharacter)
{
    line->modem = ModemStatus{true, true, true};
    line->onWrite = [](MemoryLine& l, uint8_t) {
        l.modem->cts = !l.modem->cts; // the control toggles CTS after each character
        if (!l.modem->cts)
            l.modem->dsr = !l.modem->dsr;
    };
    for (char c : QByteArray("GGGG"))
        EXPECT_FALSE(link.SendChar(uint8_t(c)));
    // The open showed DSR blue and CTS ●; from then on every change shows.
    EXPECT_EQ(view.lamps, QStringList({"DSR red", "CTS ○", "CTS ●", "DSR blue", "CTS ○"}));
}

TEST_F(SendCharMemory, UnreadableModemStatusSkipsTheChecks)
{
    line->modem.reset();
    options.op14 = "Y";
    EXPECT_FALSE(link.SendChar('G'));
    EXPECT_EQ(line->output, "G");
    EXPECT_TRUE(view.lamps.isEmpty());
}

TEST_F(SendCharMemory, WaitsUntilTheCharacterHasLeftThePort)
{
    line->onWrite = [](MemoryLine& l, uint8_t) { l.outputPending = 2; };
    int drains = 0;
    line->onWait = [&](MemoryLine& l) {
        ++drains;
        --l.outputPending;
    };
    EXPECT_FALSE(link.SendChar('G'));
    EXPECT_EQ(drains, 2);
    EXPECT_EQ(line->outputPending, 0);

    line->onWait = [this](MemoryLine&) { state.AbortRequested = true; };
    EXPECT_TRUE(link.SendChar('G')); // operator stop while draining
}

TEST_F(SendCharMemory, AVanishedDeviceStopsOnceWithLogAndMessage)
{
    line->lost = true;
    EXPECT_TRUE(link.SendChar('G'));
    EXPECT_TRUE(line->output.isEmpty());
    EXPECT_EQ(view.boxTexts(), QStringList("COM5の通信ﾎﾟｰﾄが使用できなくなりました｡!!"));
    EXPECT_TRUE(logMessages().contains("  COM5　ﾎﾟｰﾄが使用できなくなり中止"));
    EXPECT_TRUE(link.PortFailed());

    EXPECT_TRUE(link.SendChar(0x14)); // the closing DC4 stops too, without a second box
    EXPECT_EQ(view.boxes.size(), 1);
    EXPECT_EQ(link.BytesWaiting(), 0);
    EXPECT_EQ(link.ReadChar(), 0);
    EXPECT_EQ(link.WaitForInput(0), SerialLink::InputWait::Failed);
}

TEST_F(SendCharMemory, AFailedWriteIsReportedNotCountedAsSent)
{
    line->failing.insert("write");
    EXPECT_TRUE(link.SendChar('G'));
    EXPECT_EQ(view.boxTexts(), QStringList("COM5の通信ﾎﾟｰﾄが使用できなくなりました｡!!"));
}

TEST_F(SendCharMemory, ReadCharDecodesAndDetects)
{
    link.ConversionMode = ConversionMode::Undetermined;
    line->input = QByteArray("\x11\x0B\x80", 3);
    EXPECT_EQ(link.ReadChar(), 0x11);
    EXPECT_EQ(link.ConversionMode, ConversionMode::Undetermined);
    EXPECT_EQ(link.ReadChar(), '%');
    EXPECT_EQ(link.ConversionMode, ConversionMode::Eia);
    EXPECT_EQ(link.ReadChar(), '\n');
    EXPECT_EQ(link.ReadChar(), 0); // nothing waiting
}

// --- the same on a pseudo-terminal, with the control on the master side ---

class SendCharPty : public LinkFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.ok());
        usePty(pty);
        state.TransferDirection = 1;
        ASSERT_TRUE(link.OpenPort(1));
        link.ConversionMode = ConversionMode::Iso;
    }
    // The control's DC3, once it has reached our side of the line.
    void pause()
    {
        pty.send(QByteArray("\x93"));
        ASSERT_EQ(link.WaitForInput(5000), SerialLink::InputWait::Ready);
    }
    PtyPair pty;
};

TEST_F(SendCharPty, BytesReachTheControlInTheTapeCode)
{
    for (char c : QByteArray("%\nG01X-1.\n"))
        ASSERT_FALSE(link.SendChar(uint8_t(c)));
    EXPECT_EQ(pty.receive(), QByteArray("\xA5\x0A\x47\x30\xB1\xD8\x2D\xB1\x2E\x0A"));
    EXPECT_EQ(link.OutputWaiting(), 0);
}

TEST_F(SendCharPty, PauseHoldsTheSendUntilResumeAndCancelStopsIt)
{
    pause();
    std::atomic<int> result{-1};
    std::thread sender([&] { result = link.SendChar('A') ? 1 : 0; });
    EXPECT_TRUE(pty.receive(200).isEmpty()); // paused: nothing comes
    pty.send(QByteArray("\x11"));
    EXPECT_EQ(pty.receive(), "A");
    sender.join();
    EXPECT_EQ(result, 0);

    pause();
    std::thread canceller([&] { result = link.SendChar('B') ? 1 : 0; });
    EXPECT_TRUE(pty.receive(200).isEmpty());
    pty.send(QByteArray("\x18"));
    canceller.join();
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(pty.receive().isEmpty());
}

TEST_F(SendCharPty, OperatorStopEndsAPause)
{
    pause();
    std::atomic<int> result{-1};
    std::thread sender([&] { result = link.SendChar('A') ? 1 : 0; });
    pty.receive(100);
    state.AbortRequested = true;
    sender.join();
    EXPECT_EQ(result, 1);
}

TEST_F(SendCharPty, ReadCharDetectsTheCodeOfTheFirstDataByte)
{
    link.ConversionMode = ConversionMode::Undetermined;
    pty.send(QByteArray("\xA5\xC1", 2));
    ASSERT_EQ(link.WaitForInput(1000), SerialLink::InputWait::Ready);
    EXPECT_EQ(link.ReadChar(), '%');
    EXPECT_EQ(link.ConversionMode, ConversionMode::Iso);
    EXPECT_EQ(link.ReadChar(), 'A');
}

TEST_F(SendCharPty, ADeviceThatVanishesMidSendStopsTheSend)
{
    std::atomic<int> sent{0};
    std::atomic<bool> stopped{false};
    std::thread sender([&] {
        for (int i = 0; i < 10'000'000 && !stopped; ++i) {
            if (link.SendChar('G'))
                stopped = true;
            else
                ++sent;
        }
    });
    while (pty.readSome(1000).isEmpty()) {
    }
    pty.closeMaster();
    sender.join();
    EXPECT_TRUE(stopped);
    EXPECT_TRUE(link.PortFailed());
    EXPECT_EQ(view.boxTexts(), QStringList("COM5の通信ﾎﾟｰﾄが使用できなくなりました｡!!"));
    EXPECT_TRUE(logMessages().contains("  COM5　ﾎﾟｰﾄが使用できなくなり中止"));
    EXPECT_EQ(link.WaitForInput(0), SerialLink::InputWait::Failed);
}

} // namespace

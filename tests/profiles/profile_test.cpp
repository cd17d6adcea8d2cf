#include "platform/app_paths.h"
#include "platform/ini_file.h"
#include "profiles/profile.h"
#include "profiles/profile_numbers.h"
#include "support/temp_home.h"

#include <gtest/gtest.h>

TEST(ProfileNumbers, FilesNamesAndMenuItems)
{
    struct Case
    {
        int number;
        const char* file;
        const char* key;
        const char* item;
        const char* name;
    };
    const Case cases[] = {
        {1, "SetData1.ini", "SetName1", "Set1", "設定1"},
        {5, "SetData5.ini", "SetName5", "Set5", "設定5"},
        {6, "SetDataO.ini", "SetNameO", "SetO", "OSP専用_NO.1"},
        {7, "SetData6.ini", "SetName6", "Set6", "設定6"},
        {11, "SetData10.ini", "SetName10", "Set10", "設定10"},
        {12, "SetDataP.ini", "SetNameP", "SetP", "OSP専用_NO.2"},
        {0, "SetData1.ini", "SetName1", "Set1", "設定1"},  // edited SetNo: profile 1
        {13, "SetData1.ini", "SetName1", "Set1", "設定1"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProfileNumbers::fileName(c.number), c.file) << c.number;
        EXPECT_EQ(ProfileNumbers::nameKey(c.number), c.key) << c.number;
        EXPECT_EQ(ProfileNumbers::menuItemName(c.number), c.item) << c.number;
        EXPECT_EQ(ProfileNumbers::defaultName(c.number), QString::fromUtf8(c.name)) << c.number;
    }
    EXPECT_TRUE(ProfileNumbers::isOsp(6));
    EXPECT_TRUE(ProfileNumbers::isOsp(12));
    EXPECT_FALSE(ProfileNumbers::isOsp(7));
}

TEST(Profiles, NeverSavedProfileHasTheDefaults)
{
    TempHome home;
    const ActiveProfile p = Profiles::load(3);
    const ReceiveSettings& r = p.receive;
    EXPECT_EQ(r.Speed, 1) << "4800";
    EXPECT_EQ(r.Code, 0) << "detect EIA or ISO";
    EXPECT_EQ(r.STbit, 1) << "two stop bits";
    EXPECT_EQ(r.Buff, 3) << "1024";
    EXPECT_EQ(r.SE_Char, 3) << "no % added";
    EXPECT_EQ(r.Port, "COM1");
    const SendSettings& s = p.send;
    EXPECT_EQ(s.Speed, 1);
    EXPECT_EQ(s.Code, 0) << "ISO";
    EXPECT_EQ(s.STbit, 1);
    EXPECT_EQ(s.Signal, 0) << "start on the NC's signal";
    EXPECT_EQ(s.StartChar, 0);
    EXPECT_EQ(s.EndChar, 0) << "line end then %";
    EXPECT_EQ(s.Buff, 0) << "send buffer 2";
    EXPECT_EQ(s.InvTime, 0);
    EXPECT_EQ(s.Mail_Flg, "N");
    EXPECT_EQ(p.general.DirPath_Sub, "");
}

TEST(Profiles, SaveRulesForceTheTapeDeviceValues)
{
    struct Case
    {
        int receiveSpeed;
        int sendSpeed;
        ReceiveSettings expectedReceive;
        int feed, signal, buff, rsignal;
    };
    ActiveProfile edited;
    edited.receive = {5, 3, 0, "COM2", 2, 2, 1, 0, 6, 2, 1, 0};
    edited.send.Speed = 2;
    edited.send.Feed = 3;
    edited.send.Signal = 0;
    edited.send.Buff = 7;

    ActiveProfile reader = edited;
    Profiles::applySaveRules(reader);
    EXPECT_EQ(reader.receive.Code, 0);
    EXPECT_EQ(reader.receive.STbit, 1);
    EXPECT_EQ(reader.receive.Change, 0);
    EXPECT_EQ(reader.receive.Word, 1);
    EXPECT_EQ(reader.receive.Signal, 0);
    EXPECT_EQ(reader.receive.Buff, 3);
    EXPECT_EQ(reader.receive.EndCode, 0);
    EXPECT_EQ(reader.receive.RSignal, 0) << "a tape reader keeps its start-signal choice";
    EXPECT_EQ(reader.receive.Port, "COM2");
    EXPECT_EQ(reader.send.Feed, 0) << "no feed without a tape punch";
    EXPECT_EQ(reader.send.Buff, 7);

    ActiveProfile punch = edited;
    punch.receive.Speed = 2;
    punch.send.Speed = 5;
    Profiles::applySaveRules(punch);
    EXPECT_EQ(punch.receive.RSignal, 1) << "no start signal without a tape reader";
    EXPECT_EQ(punch.receive.Code, 3) << "kept";
    EXPECT_EQ(punch.send.Feed, 3);
    EXPECT_EQ(punch.send.Signal, 1);
    EXPECT_EQ(punch.send.Buff, 0);
}

TEST(Profiles, SavedProfileReadsBackAndKeepsKeyOrder)
{
    TempHome home;
    ActiveProfile p;
    p.receive.Port = "COM12";
    p.receive.SE_Char = 2;
    p.send.ChkCount = 29;
    p.send.SendMsg = QString::fromUtf8("M01");
    p.send.Mail_Subject = QString::fromUtf8("送信完了");
    p.general.DirPath_Sub = "/srv/nc";
    ASSERT_TRUE(Profiles::save(11, p, nullptr));
    EXPECT_EQ(Profiles::load(11), p);
    EXPECT_EQ(Profiles::load(10), ActiveProfile()) << "other profiles untouched";

    const QByteArray bytes = home.read("SetData10.ini");
    EXPECT_TRUE(bytes.startsWith("[Setting_R]\r\nSpeed=1\r\nCode=0\r\nSTbit=1\r\nPort=COM12\r\n"));
    EXPECT_TRUE(bytes.contains("S&E_Char=2\r\n\r\n[Setting_S]\r\n"));
    EXPECT_TRUE(bytes.contains("Chk Count=29\r\n"));
    EXPECT_TRUE(bytes.endsWith("[Setting_A]\r\nDirPath_Sub=/srv/nc\r\n"));

    QString error;
    home.write("blocker", "");
    qputenv("KELVRA_HOME", home.file("blocker").toUtf8()); // a file, not a folder
    EXPECT_FALSE(Profiles::save(1, p, &error));
    EXPECT_FALSE(error.isEmpty());
}

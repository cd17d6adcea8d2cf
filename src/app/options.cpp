#include "app/options.h"

const std::array<OptionRow, kOptionRowCount>& optionRows()
{
    static const std::array<OptionRow, kOptionRowCount> rows = {{
        {"(共通)ﾒｰﾄﾙ表示(N:ﾊﾞｲﾄ)", "op3", &Options::op3, false},
        {"(共通)DR信号常時ONにする", "op5", &Options::op5, false},
        {"(共通)自動ポート切換画面を有効にする", "op6", &Options::op6, false},
        {"(共通)除外ポート番号１", "ModemePort1", &Options::ModemePort1, true},
        {"(共通)除外ポート番号２", "ModemePort2", &Options::ModemePort2, true},
        {"(共通)DC3信号を0x93にする(N:0x13)", "DC3(0X93)", &Options::DC3_0X93, false},
        {"(共通)NC機側からの中止信号は無効にする(N:有効)", "op9", &Options::op9, false},
        {"(共通)送受信完了後、PC電源断を有効にする", "Power_Off", &Options::Power_Off, false},
        {"(共通)DSR信号と併用し処理を行う", "op14", &Options::op14, false},
        {"(共通)回線ﾁｪｯｸを行わない(Y:ｲﾝﾀｰﾘﾝｸ用ｸﾛｽｹｰﾌﾞﾙ)", "op13", &Options::op13, false},
        {"(受信)受信したﾃﾞｰﾀをﾌﾟﾛｸﾞﾗﾑ番号毎に分割する", "op2", &Options::op2, false},
        {"(受信)受信中止でもそれまでに受信したﾃﾞｰﾀは保存する", "op10", &Options::op10, false},
        {"(送信)ﾌﾟﾛｸﾞﾗﾑ番号を選択して送信を行う(DNC運転は除く)", "op1", &Options::op1, false},
        {"(送信)送信ﾃﾞｰﾀ内のｽﾍﾟｰｽは送信しない", "op4", &Options::op4, false},
        {"(送信)ﾃﾞｰﾀの注釈(；か’)以降も送信を行う", "op7", &Options::op7, false},
        {"(送信)ﾃｰﾌﾟﾊﾟﾝﾁｬを使用する場合に完了信号を出力する", "op12", &Options::op12, false},
        {"(送信)送信開始時に改行コードを送信しない", "op17", &Options::op17, false},
        {"(送信)送り速度Ｆの小数点送信項目を有効にする", "op20", &Options::op20, false},
        {"(送信)ｼｰｹﾝｽ番号送信項目を有効にする", "op21", &Options::op21, false},
        {"(DNC )DNC通信でﾚﾍﾞﾙ0以外のM02(M30)はM99として処理する", "op15", &Options::op15, false},
        {"(編集)編集時,FK1で補完機能を有効にする", "op19", &Options::op19, false},
        {"(編集)ﾀｲﾄﾙはﾌﾙﾊﾟｽ名で表示/Y:ﾌｧｲﾙ名のみ表示", "op22", &Options::op22, false},
    }};
    return rows;
}

#pragma once

#include <QByteArray>

// How a send treats the characters of each data line.
struct SendFilterSettings
{
    QByteArray SendMsg;          // a string not to send (replaced by blanks); empty: off
    bool commentsEndLine = true; // option op7 "N": the rest after ' or ; is not sent
    bool dropSequenceNumbers = false; // N_non "Y"
    bool dropFeedPoint = false;       // F_non "Y"
};

struct FilteredLine
{
    QByteArray bytes;      // what goes out, before the line end
    bool skipLine = false; // a "%" line: nothing at all is sent, not even the line end
};

// Filters one line (CP932 bytes, without its line end): blanks for the string
// not to send, comments after ' or ; outside parentheses, "%" outside
// parentheses, TABs, sequence numbers and the decimal point that ends a feed
// word. Parentheses and what they hold are always sent.
FilteredLine FilterSendLine(const QByteArray& line, const SendFilterSettings& settings);

#include "transfer/send_filter.h"

namespace {
bool isDigit(char c) { return c >= '0' && c <= '9'; }
} // namespace

FilteredLine FilterSendLine(const QByteArray& line, const SendFilterSettings& settings)
{
    QByteArray w = line;
    if (!settings.SendMsg.isEmpty() && w.contains(settings.SendMsg))
        w.replace(settings.SendMsg, QByteArray(qMin<qsizetype>(settings.SendMsg.size(), 29), ' '));

    FilteredLine result;
    result.bytes.reserve(w.size());
    const bool hasParenthesis = w.contains('(');
    bool inside = false;
    bool sequence = false;
    bool feedWord = false;
    for (qsizetype j = 0; j < w.size(); ++j) {
        const char c = w[j];
        if (hasParenthesis) {
            if (c == '(')
                inside = true;
            else if (c == ')')
                inside = false;
        }
        if (!inside) {
            if ((c == '\'' || c == ';') && settings.commentsEndLine)
                break;
            if (c == '%') {
                if (w.size() == 1) {
                    result.skipLine = true;
                    result.bytes.clear();
                    return result;
                }
                continue;
            }
        }
        if (c == '\t')
            continue;
        if (settings.dropSequenceNumbers) {
            if (c == 'N' && j == 0) {
                sequence = true;
                continue;
            }
            if (sequence && isDigit(c))
                continue;
            sequence = false;
        }
        if (settings.dropFeedPoint) {
            if (feedWord && !inside && !isDigit(c)) {
                // Only the decimal point that ends the feed word is dropped
                // (F100. goes out as F100, F1.5 stays); any other character
                // ends the word and is sent, so X10. after F100 keeps its point.
                if (c == '.') {
                    const bool digitFollows = j + 1 < w.size() && isDigit(w[j + 1]);
                    if (!digitFollows) {
                        feedWord = false;
                        continue;
                    }
                } else {
                    feedWord = false;
                }
            }
            if (c == 'F' && !inside)
                feedWord = true;
        }
        result.bytes += c;
    }
    return result;
}

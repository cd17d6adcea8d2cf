#pragma once

#include <QChar>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

// The selection number of the automatic port switch: at most three
// characters, each one of "012345-".
namespace AutoSelection {

inline constexpr int kMaxLength = 3;

enum class KeyVerdict {
    Accept,     // goes into the field
    ConfirmOn,  // Enter with text: the focus moves to "ＯＮ"
    Refuse,     // dropped, with the box "この文字は変更できません｡\n"
};

// `key` is the character typed (Enter is '\r', Backspace '\b').
KeyVerdict ClassifyKey(QChar key, bool fieldEmpty);

// The refusal box's text and caption.
QString RefusalText();
QString RefusalCaption();

// Top-left of a dialog centred on the main window; an edge that would be
// negative falls back to the main window's edge.
QPoint CentredPosition(const QRect& mainWindow, const QSize& dialog);

} // namespace AutoSelection

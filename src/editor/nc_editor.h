#pragma once

#include <Qsci/qsciscintilla.h>

#include <QByteArrayView>

#include <functional>

class QMenu;

// The NC text editor widget. The rest of the program talks to this class, not
// to the widget underneath. The text is held as UTF-8 bytes without style
// bytes, so a large NC text costs about its own size; positions are byte
// positions, lines and columns are 0-based here.
class NcEditor : public QsciScintilla
{
    Q_OBJECT
public:
    explicit NcEditor(QWidget* parent = nullptr);

    // Text -----------------------------------------------------------------
    void clearText();
    void setPlainText(const QString& text);
    QString plainText() const;
    bool isEmptyText() const { return byteLength() == 0; }
    qsizetype byteLength() const;
    // A view of the whole text; valid until the next change.
    QByteArrayView utf8View();

    // Bulk load into a fresh document: no undo history, no notifications.
    void beginLoad(qsizetype expectedBytes);
    void appendUtf8(const char* data, qsizetype size);
    void endLoad();

    int lineCount() const;
    QString lineText(int line) const; // without its line end
    qsizetype lineStart(int line) const;
    int lineOfPosition(qsizetype position) const;

    // Caret and selection ---------------------------------------------------
    qsizetype caretPosition() const;
    void setCaretPosition(qsizetype position); // also drops the selection
    int caretLine() const;
    int caretColumn() const; // in characters from the line start
    // The character at the caret, empty at the end of a line.
    QString characterAtCaret() const;
    qsizetype selectionStartPosition() const;
    qsizetype selectionEndPosition() const;
    void selectRange(qsizetype anchor, qsizetype caret);
    void replaceSelection(const QString& text);

    // Scrolls so that `line` is the second visible line.
    void scrollLineToSecond(int line);
    int firstVisibleLine() const;

    // Limits what typing and pasting can add; loads are not limited.
    void setTextLimit(qsizetype characters) { m_textLimit = characters; }

    // The lowest line touched since the last reset, -1 when none.
    int firstChangedLine() const { return m_firstChangedLine; }
    void resetChangedLine() { m_firstChangedLine = -1; }

    // Caret of `width` pixels (0: the thin system caret), or a block.
    void setCaretShape(int width, int height);

    // Half a character height of margin left and right.
    void setSideMargins(int pixels);

    void setTextColors(const QColor& text, const QColor& background);
    QColor textColor() const { return m_textColor; }
    QColor backgroundColor() const { return m_background; }
    void setEditorFont(const QFont& font);
    QFont editorFont() const { return m_font; }

    void setPopupMenu(QMenu* menu) { m_popup = menu; }
    void setPopupEnabled(bool enabled) { m_popupEnabled = enabled; }

    // Called for each typed character before it is inserted; returns the
    // character to insert.
    std::function<QChar(QChar)> typedCharFilter;
    // Called before a key is handled (returns nothing) and after it was.
    std::function<void(QKeyEvent*)> beforeKey;
    std::function<void(QKeyEvent*)> afterKey;

signals:
    // The text was changed by the user or a command (not by a load); sent
    // from the event loop right after the change.
    void textEdited();
    void mouseButtonEvent();
    void wheelTurned(int delta);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void onModified(int position, int type, const char* text, int length, int linesAdded,
                    int line, int, int, int, int);
    void newDocument(qsizetype bytes);
    void applyStyle();

    qsizetype m_textLimit = 150000000;
    int m_firstChangedLine = -1;
    QColor m_textColor = Qt::green;
    QColor m_background = Qt::black;
    QFont m_font;
    QMenu* m_popup = nullptr;
    bool m_popupEnabled = true;
    bool m_loading = false;
    bool m_editPending = false;
};

#include "editor/nc_editor.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QWheelEvent>

namespace {

// Only the "before" notifications: the widget's own handling of the "after"
// ones costs time in proportion to the text's length on every keystroke.
constexpr long kModEvents = QsciScintillaBase::SC_MOD_INSERTCHECK |
                            QsciScintillaBase::SC_MOD_BEFOREINSERT |
                            QsciScintillaBase::SC_MOD_BEFOREDELETE;

// The widget's own accessible interface turns the caret's byte position into
// a character offset counted from the start of the text on every UI update
// (each repaint after a scroll or caret move) and on every change: in a large
// text that cost grows with how far in the caret is. A plain editable-text
// interface keeps the editor reachable without that scan.
QAccessibleInterface* accessibleFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String(NcEditor::staticMetaObject.className()) && object &&
        object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::EditableText);
    return nullptr;
}

} // namespace

NcEditor::NcEditor(QWidget* parent) : QsciScintilla(parent)
{
    // Before any interface for this widget is created and cached.
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(accessibleFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setUtf8(true);
    newDocument(0);
    for (int margin = 0; margin < 5; ++margin)
        setMarginWidth(margin, 0);
    setWrapMode(QsciScintilla::WrapNone);
    setEolMode(QsciScintilla::EolWindows);
    setTabWidth(8);
    // Only what is visible gets laid out; keeps large texts cheap.
    SendScintilla(SCI_SETLAYOUTCACHE, SC_CACHE_PAGE);
    SendScintilla(SCI_SETSCROLLWIDTH, 1);
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1);
    SendScintilla(SCI_SETMODEVENTMASK, kModEvents);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(this, &QsciScintillaBase::SCN_MODIFIED, this, &NcEditor::onModified);
}

void NcEditor::newDocument(qsizetype bytes)
{
    // No style bytes: plain NC text needs no highlighting, and they would
    // double the memory of a large text.
    // Room to spare: the text pointer and the first keystrokes then need no
    // second copy of a large text.
    const long doc = SendScintilla(SCI_CREATEDOCUMENT, static_cast<unsigned long>(bytes + 65536),
                                   long(SC_DOCUMENTOPTION_STYLES_NONE));
    SendScintilla(SCI_SETDOCPOINTER, 0, reinterpret_cast<void*>(doc));
    SendScintilla(SCI_RELEASEDOCUMENT, 0, reinterpret_cast<void*>(doc));
    SendScintilla(SCI_SETCODEPAGE, SC_CP_UTF8);
    SendScintilla(SCI_SETEOLMODE, SC_EOL_CRLF);
    m_firstChangedLine = -1;
}

void NcEditor::clearText()
{
    newDocument(0);
    applyStyle();
}

void NcEditor::setPlainText(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    beginLoad(bytes.size());
    appendUtf8(bytes.constData(), bytes.size());
    endLoad();
}

QString NcEditor::plainText() const
{
    return text();
}

qsizetype NcEditor::byteLength() const
{
    return qsizetype(SendScintilla(SCI_GETLENGTH));
}

QByteArrayView NcEditor::utf8View()
{
    const char* data = reinterpret_cast<const char*>(SendScintilla(SCI_GETCHARACTERPOINTER));
    return QByteArrayView(data, byteLength());
}

void NcEditor::beginLoad(qsizetype expectedBytes)
{
    m_loading = true;
    newDocument(expectedBytes);
    SendScintilla(SCI_SETUNDOCOLLECTION, 0);
    SendScintilla(SCI_SETMODEVENTMASK, 0);
}

void NcEditor::appendUtf8(const char* data, qsizetype size)
{
    if (size > 0)
        SendScintilla(SCI_APPENDTEXT, static_cast<unsigned long>(size), data);
}

void NcEditor::endLoad()
{
    SendScintilla(SCI_SETUNDOCOLLECTION, 1);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    SendScintilla(SCI_SETSAVEPOINT);
    SendScintilla(SCI_SETMODEVENTMASK, kModEvents);
    SendScintilla(SCI_GOTOPOS, 0);
    m_firstChangedLine = -1;
    m_loading = false;
    applyStyle();
}

int NcEditor::lineCount() const
{
    return int(SendScintilla(SCI_GETLINECOUNT));
}

QString NcEditor::lineText(int line) const
{
    if (line < 0 || line >= lineCount())
        return QString();
    const long start = SendScintilla(SCI_POSITIONFROMLINE, line);
    const long end = SendScintilla(SCI_GETLINEENDPOSITION, line);
    auto* data = reinterpret_cast<const char*>(
        SendScintilla(SCI_GETRANGEPOINTER, start, end - start));
    return QString::fromUtf8(data, end - start);
}

qsizetype NcEditor::lineStart(int line) const
{
    return qsizetype(SendScintilla(SCI_POSITIONFROMLINE, line));
}

int NcEditor::lineOfPosition(qsizetype position) const
{
    return int(SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(position)));
}

qsizetype NcEditor::caretPosition() const
{
    return qsizetype(SendScintilla(SCI_GETCURRENTPOS));
}

void NcEditor::setCaretPosition(qsizetype position)
{
    SendScintilla(SCI_SETEMPTYSELECTION, static_cast<unsigned long>(position));
}

int NcEditor::caretLine() const
{
    return lineOfPosition(caretPosition());
}

int NcEditor::caretColumn() const
{
    const long start = SendScintilla(SCI_POSITIONFROMLINE, caretLine());
    return int(SendScintilla(SCI_COUNTCHARACTERS, start, long(caretPosition())));
}

QString NcEditor::characterAtCaret() const
{
    const long pos = long(caretPosition());
    const long end = SendScintilla(SCI_GETLINEENDPOSITION, caretLine());
    if (pos >= end)
        return QString();
    const long next = SendScintilla(SCI_POSITIONAFTER, pos);
    auto* data = reinterpret_cast<const char*>(SendScintilla(SCI_GETRANGEPOINTER, pos, next - pos));
    return QString::fromUtf8(data, next - pos);
}

qsizetype NcEditor::selectionStartPosition() const
{
    return qsizetype(SendScintilla(SCI_GETSELECTIONSTART));
}

qsizetype NcEditor::selectionEndPosition() const
{
    return qsizetype(SendScintilla(SCI_GETSELECTIONEND));
}

void NcEditor::selectRange(qsizetype anchor, qsizetype caret)
{
    SendScintilla(SCI_SETSEL, static_cast<unsigned long>(anchor), long(caret));
}

void NcEditor::replaceSelection(const QString& text)
{
    replaceSelectedText(text);
}

void NcEditor::scrollLineToSecond(int line)
{
    SendScintilla(SCI_SETFIRSTVISIBLELINE, std::max(line - 1, 0));
}

int NcEditor::firstVisibleLine() const
{
    return int(SendScintilla(SCI_GETFIRSTVISIBLELINE));
}

void NcEditor::setCaretShape(int width, int height)
{
    Q_UNUSED(height); // the caret always spans the line
    if (width <= 0) {
        SendScintilla(SCI_SETCARETSTYLE, CARETSTYLE_LINE);
        SendScintilla(SCI_SETCARETWIDTH, 1);
    } else {
        // A block caret: the closest the widget has to a half-height-wide one.
        SendScintilla(SCI_SETCARETSTYLE, CARETSTYLE_BLOCK);
    }
}

void NcEditor::setSideMargins(int pixels)
{
    SendScintilla(SCI_SETMARGINLEFT, 0, long(pixels));
    SendScintilla(SCI_SETMARGINRIGHT, 0, long(pixels));
}

void NcEditor::setTextColors(const QColor& text, const QColor& background)
{
    m_textColor = text;
    m_background = background;
    applyStyle();
}

void NcEditor::setEditorFont(const QFont& font)
{
    m_font = font;
    applyStyle();
}

void NcEditor::applyStyle()
{
    setFont(m_font);
    SendScintilla(SCI_STYLESETFORE, STYLE_DEFAULT, m_textColor);
    SendScintilla(SCI_STYLESETBACK, STYLE_DEFAULT, m_background);
    SendScintilla(SCI_STYLECLEARALL);
    setCaretForegroundColor(m_textColor);
    setSelectionBackgroundColor(m_textColor);
    setSelectionForegroundColor(m_background);
}

void NcEditor::onModified(int position, int type, const char* text, int length, int, int, int, int,
                          int, int)
{
    if (m_loading)
        return;
    if (type & SC_MOD_INSERTCHECK) {
        qsizetype room = std::max<qsizetype>(m_textLimit - byteLength(), 0);
        if (length > room) {
            // Cut on a character boundary.
            while (text && room > 0 && (static_cast<unsigned char>(text[room]) & 0xC0) == 0x80)
                --room;
            static const char nothing[] = "";
            const QByteArray kept = room > 0 && text ? QByteArray(text, room) : QByteArray();
            SendScintilla(SCI_CHANGEINSERTION, static_cast<unsigned long>(kept.size()),
                          kept.isEmpty() ? nothing : kept.constData());
        }
        return;
    }
    if (type & (SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE)) {
        const int line = lineOfPosition(position);
        if (m_firstChangedLine < 0 || line < m_firstChangedLine)
            m_firstChangedLine = line;
        // Told once the change is done, for all changes of one command.
        if (!m_editPending) {
            m_editPending = true;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    m_editPending = false;
                    emit textEdited();
                },
                Qt::QueuedConnection);
        }
    }
}

void NcEditor::keyPressEvent(QKeyEvent* event)
{
    if (beforeKey)
        beforeKey(event);
    const QString typed = event->text();
    if (typedCharFilter && typed.size() == 1) {
        const QChar replaced = typedCharFilter(typed.at(0));
        if (replaced != typed.at(0)) {
            QKeyEvent changed(event->type(), event->key(), event->modifiers(), QString(replaced),
                              event->isAutoRepeat(), ushort(event->count()));
            QsciScintilla::keyPressEvent(&changed);
            if (afterKey)
                afterKey(event);
            return;
        }
    }
    QsciScintilla::keyPressEvent(event);
    if (afterKey)
        afterKey(event);
}

void NcEditor::keyReleaseEvent(QKeyEvent* event)
{
    QsciScintilla::keyReleaseEvent(event);
    if (beforeKey)
        beforeKey(event);
    if (afterKey)
        afterKey(event);
}

void NcEditor::mousePressEvent(QMouseEvent* event)
{
    QsciScintilla::mousePressEvent(event);
    emit mouseButtonEvent();
}

void NcEditor::mouseReleaseEvent(QMouseEvent* event)
{
    QsciScintilla::mouseReleaseEvent(event);
    emit mouseButtonEvent();
}

void NcEditor::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    if (delta == 0) {
        QsciScintilla::wheelEvent(event);
        return;
    }
    event->accept();
    emit wheelTurned(delta);
}

void NcEditor::contextMenuEvent(QContextMenuEvent* event)
{
    if (m_popup && m_popupEnabled)
        m_popup->popup(event->globalPos());
    event->accept();
}

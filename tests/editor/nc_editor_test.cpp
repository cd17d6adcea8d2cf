#include "editor/nc_editor.h"

#include <QAccessible>
#include <QTest>

#include <gtest/gtest.h>

// The widget's stock accessible text interface counts characters from the
// start of the text on each repaint and change, so large texts lag the
// further in the caret is. The editor must get its own interface, and stay
// editable while one exists.
TEST(NcEditorAccessible, NoTextScanningInterfaceAndEditingStillWorks)
{
    NcEditor editor;
    editor.setPlainText(QStringLiteral("O1000(加工)\r\nG01 X1.\r\n"));
    editor.show();
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&editor);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->object(), &editor);
    EXPECT_EQ(iface->role(), QAccessible::EditableText);
    EXPECT_EQ(iface->textInterface(), nullptr);

    editor.setCaretPosition(editor.lineStart(1));
    QTest::keyClicks(&editor, QStringLiteral("N1 "));
    editor.repaint();
    EXPECT_EQ(editor.lineText(1), QStringLiteral("N1 G01 X1."));
    EXPECT_EQ(editor.lineText(0), QStringLiteral("O1000(加工)"));
    editor.undo();
    EXPECT_EQ(editor.lineText(1), QStringLiteral("G01 X1."));
}

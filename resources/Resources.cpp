#include "resources/Resources.h"

#include "resources/resource.h"

#include <QtGlobal>

#include <map>

namespace {

MenuResource MainMenu()
{
    return {{
        {QStringLiteral("&File"), 0,
         {{ID_FILE_OPEN, QStringLiteral("&Open...\tCtrl+O")},
          {ID_FILE_SAVE_AS, QStringLiteral("Save &As...\tCtrl+S")},
          {0, QString()},
          {ID_APP_EXIT, QStringLiteral("E&xit\tAlt+F4")}}},
        {QStringLiteral("&Edit"), 0,
         {{ID_EDIT_UNDO, QStringLiteral("&Undo\tCtrl+Z")},
          {ID_EDIT_REDO, QStringLiteral("&Redo\tCtrl+Y")},
          {0, QString()},
          {ID_EDIT_ADD_ELLIPSE, QStringLiteral("&Add ellipse\tInsert")},
          {ID_EDIT_DELETE_ELLIPSE, QStringLiteral("&Delete ellipse\tDel")},
          {ID_EDIT_COVER_FACES, QStringLiteral("&Cover every face\tShift+F")}}},
        {QStringLiteral("Rotate"), 0,
         {{ID_ROTATE_LEFT, QStringLiteral("Left\t<--")},
          {ID_ROTATE_RIGHT, QStringLiteral("Right\t -->")}}},
        {QStringLiteral("Hot keys"), ID_HELP, {}},
        {QStringLiteral("About"), ID_APP_ABOUT, {}},
    }};
}

std::vector<AcceleratorEntry> MainAccelerators()
{
    return {
        {QKeySequence(Qt::CTRL | Qt::Key_N), ID_FILE_NEW},
        {QKeySequence(Qt::CTRL | Qt::Key_O), ID_FILE_OPEN},
        {QKeySequence(Qt::CTRL | Qt::Key_S), ID_FILE_SAVE},
        {QKeySequence(Qt::CTRL | Qt::Key_Z), ID_EDIT_UNDO},
        {QKeySequence(Qt::CTRL | Qt::Key_X), ID_EDIT_CUT},
        {QKeySequence(Qt::CTRL | Qt::Key_C), ID_EDIT_COPY},
        {QKeySequence(Qt::CTRL | Qt::Key_V), ID_EDIT_PASTE},
        {QKeySequence(Qt::ALT | Qt::Key_Backspace), ID_EDIT_UNDO},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), ID_EDIT_REDO},
        {QKeySequence(Qt::CTRL | Qt::Key_Y), ID_EDIT_REDO},
        {QKeySequence(Qt::SHIFT | Qt::Key_Delete), ID_EDIT_CUT},
        {QKeySequence(Qt::CTRL | Qt::Key_Insert), ID_EDIT_COPY},
        {QKeySequence(Qt::SHIFT | Qt::Key_Insert), ID_EDIT_PASTE},
        {QKeySequence(Qt::Key_F6), ID_NEXT_PANE},
        {QKeySequence(Qt::SHIFT | Qt::Key_F6), ID_PREV_PANE},
    };
}

ToolBarResource MainToolBar()
{
    return {
        1, QSize(40, 40),
        {ID_FILE_OPEN, ID_FILE_SAVE_AS, 0, ID_TOOLBAR_BUTTON_32774, 0, ID_ROTATE_LEFT, ID_ROTATE_RIGHT}};
}

std::map<UINT, QString> EnglishStrings()
{
    return {
        {IDR_MAINFRAME, QStringLiteral("Veilcut\n\nVeilcu\n\n\nVeilcut.Document\nVeilcu Document")},
        {AFX_IDS_APP_TITLE, QStringLiteral("Veilcut")},
        {AFX_IDS_IDLEMESSAGE, QStringLiteral("Ready")},
        {ID_FILE_NEW, QStringLiteral("Create a new document\nNew")},
        {ID_FILE_OPEN, QStringLiteral("Open an existing document\nOpen")},
        {ID_FILE_CLOSE, QStringLiteral("Close the active document\nClose")},
        {ID_FILE_SAVE, QStringLiteral("Save the active document\nSave")},
        {ID_FILE_SAVE_AS, QStringLiteral("Save the active document with a new name\nSave As")},
        {ID_APP_ABOUT, QStringLiteral("Display program information, version number and copyright\nAbout")},
        {ID_APP_EXIT, QStringLiteral("Quit the application; prompts to save documents\nExit")},
        {ID_EDIT_CLEAR, QStringLiteral("Erase the selection\nErase")},
        {ID_EDIT_CLEAR_ALL, QStringLiteral("Erase everything\nErase All")},
        {ID_EDIT_COPY, QStringLiteral("Copy the selection and put it on the Clipboard\nCopy")},
        {ID_EDIT_CUT, QStringLiteral("Cut the selection and put it on the Clipboard\nCut")},
        {ID_EDIT_FIND, QStringLiteral("Find the specified text\nFind")},
        {ID_EDIT_PASTE, QStringLiteral("Insert Clipboard contents\nPaste")},
        {ID_EDIT_REPEAT, QStringLiteral("Repeat the last action\nRepeat")},
        {ID_EDIT_REPLACE, QStringLiteral("Replace specific text with different text\nReplace")},
        {ID_EDIT_SELECT_ALL, QStringLiteral("Select the entire document\nSelect All")},
        {ID_EDIT_UNDO, QStringLiteral("Undo the last action\nUndo")},
        {ID_EDIT_REDO, QStringLiteral("Redo the previously undone action\nRedo")},
        {ID_EDIT_ADD_ELLIPSE, QStringLiteral("Add an ellipse under the pointer\nAdd ellipse")},
        {ID_EDIT_DELETE_ELLIPSE, QStringLiteral("Delete the selected ellipse\nDelete ellipse")},
        {ID_EDIT_COVER_FACES, QStringLiteral("Put an ellipse over every face found\nCover every face")},
        {ID_WINDOW_SPLIT, QStringLiteral("Split the active window into panes\nSplit")},
        {ID_NEXT_PANE, QStringLiteral("Switch to the next window pane\nNext Pane")},
        {ID_PREV_PANE, QStringLiteral("Switch back to the previous window pane\nPrevious Pane")},
        {ID_INDICATOR_EXT, QStringLiteral("EXT")},
        {ID_INDICATOR_CAPS, QStringLiteral("CAP")},
        {ID_INDICATOR_NUM, QStringLiteral("NUM")},
        {ID_INDICATOR_SCRL, QStringLiteral("SCRL")},
        {ID_INDICATOR_OVR, QStringLiteral("OVR")},
        {ID_INDICATOR_REC, QStringLiteral("REC")},
        {AFX_IDS_SCSIZE, QStringLiteral("Change the window size")},
        {AFX_IDS_SCMOVE, QStringLiteral("Change the window position")},
        {AFX_IDS_SCMINIMIZE, QStringLiteral("Reduce the window to an icon")},
        {AFX_IDS_SCMAXIMIZE, QStringLiteral("Enlarge the window to full size")},
        {AFX_IDS_SCNEXTWINDOW, QStringLiteral("Switch to the next document window")},
        {AFX_IDS_SCPREVWINDOW, QStringLiteral("Switch to the previous document window")},
        {AFX_IDS_SCCLOSE, QStringLiteral("Close the active window and prompts to save the documents")},
        {AFX_IDS_SCRESTORE, QStringLiteral("Restore the window to normal size")},
        {AFX_IDS_SCTASKLIST, QStringLiteral("Activate Task List")},
    };
}

std::map<UINT, QString> Images()
{
    return {
        {IDR_MAINFRAME, QStringLiteral(":/images/icon128_256.png")},
        {IDR_VeilcutTYPE, QStringLiteral(":/images/icon129.png")},
        {IDC_CLOSED_HAND, QStringLiteral(":/images/cursor132.png")},
        {IDC_OPEN_HAND, QStringLiteral(":/images/cursor133.png")},
        {IDR_TOOLBAR, QStringLiteral(":/images/bmp139.png")},
        {IDB_OPEN, QStringLiteral(":/images/bmp142.png")},
        {IDB_SAVE_AS, QStringLiteral(":/images/bmp143.png")},
        {IDB_ROTATE_RIGHT, QStringLiteral(":/images/bmp144.png")},
        {IDB_ROTATE_LEFT, QStringLiteral(":/images/bmp146.png")},
        {IDI_EMPTY, QStringLiteral(":/images/icon147.png")},
    };
}

CResourceTable MakeTable()
{
    CResourceTable table;
    table.menus[IDR_MAINFRAME] = MainMenu();
    table.accelerators[IDR_MAINFRAME] = MainAccelerators();
    table.toolBars[IDR_TOOLBAR] = MainToolBar();
    std::map<UINT, QString>& english = table.strings[LANG_ENGLISH_US];
    english = EnglishStrings();
    for (UINT id = ID_FILE_MRU_FILE1; id < ID_FILE_MRU_FILE1 + 16; ++id)
        english[id] = QStringLiteral("Open this document");
    table.strings[LANG_DUTCH][ID_FILE_OPEN] = QStringLiteral("Open Photo (JPG or BMP)");
    table.images = Images();
    return table;
}

} // namespace

const CResourceTable& VeilcutResources()
{
    static const CResourceTable table = [] {
        // The pictures are compiled into the static library; make sure they are linked in.
        Q_INIT_RESOURCE(Veilcut);
        return MakeTable();
    }();
    AfxSetResources(table);
    return table;
}

#include "app/AboutDialog.h"

#include "resources/Resources.h"
#include "resources/resource.h"

#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QLabel>

BEGIN_MESSAGE_MAP(CAboutDialog, CDialog)
END_MESSAGE_MAP()

namespace {
const char* const licence =
    "Licence\n\n"
    "Veilcut is free to use, copy and give away, for any purpose, "
    "at home or at work, without charge.\n\n"
    "It comes as it is, without any warranty. Check every saved picture "
    "before you share it: you alone decide what it shows.\n\n"
    "Veilcut changes only the files you save with it; the pictures you "
    "open are never written to unless you save over them yourself.";
}

CAboutDialog::CAboutDialog() : CDialog(IDD_ABOUTBOX)
{
    setWindowTitle(QStringLiteral("About Veilcut"));
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    // On a small or strongly scaled screen the box keeps within the screen;
    // the licence text below the header wraps into what is left.
    QSize size = DialogUnitsToPixels(font(), 279, 347);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size());
    setFixedSize(size);

    AddIcon(QRect(7, 7, 20, 20));
    AddStatic(QRect(28, 7, 80, 8), QStringLiteral("Veilcut Version 1.0"));
    AddStatic(QRect(136, 7, 142, 17),
              QStringLiteral("Veilcut uses FreeImage.dll in\n      manipulating the pictures."));
    auto* terms = new QLabel(QString::fromUtf8(licence), this);
    terms->setWordWrap(true);
    terms->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    terms->setGeometry(DialogUnitsToPixels(font(), QRect(7, 40, 265, 300)).intersected(rect()));
}

void CAboutDialog::AddStatic(const QRect& units, const QString& text)
{
    auto* label = new QLabel(text, this);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(DialogUnitsToPixels(font(), units));
}

void CAboutDialog::AddIcon(const QRect& units)
{
    auto* icon = new QLabel(this);
    const QRect pixels = DialogUnitsToPixels(font(), units);
    icon->setPixmap(QIcon(VeilcutResources().FindImage(IDR_MAINFRAME)).pixmap(pixels.size()));
    icon->setGeometry(pixels);
}

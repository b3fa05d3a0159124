#include "app/ProgramFolder.h"

#include "document/VeilcutDoc.h"

#include <QDir>

CString FindProgramFolder(const CString& directory)
{
    // Every entry counts, hidden ones and "." and ".." included, files and folders alike.
    const QFileInfoList entries = QDir(directory).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System, QDir::Unsorted);
    CString found;
    for (const QFileInfo& entry : entries) {
        if (entry.fileName() == ProgramFileName)
            found = entry.absoluteFilePath();
    }
    return found.isEmpty() ? CString() : FolderOf(found);
}

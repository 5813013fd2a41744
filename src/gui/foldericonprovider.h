#pragma once

#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QStyle>

// The directory tree shows folders only: one folder icon for all of them.
// Qt's provider looks each entry up in the icon theme, file by file on the
// window's thread, which for a folder of hundreds of entries stalls the
// window for seconds.
class FolderIconProvider : public QAbstractFileIconProvider
{
public:
    QIcon icon(IconType) const override { return folder(); }
    QIcon icon(const QFileInfo&) const override { return folder(); }

private:
    QIcon folder() const
    {
        if (m_folder.isNull())
            m_folder = QApplication::style()->standardIcon(QStyle::SP_DirIcon);
        return m_folder;
    }

    mutable QIcon m_folder;
};

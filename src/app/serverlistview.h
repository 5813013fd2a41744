#pragma once

#include <QTreeWidget>

// The server list: seven columns in report style.
class ServerListView : public QTreeWidget
{
    Q_OBJECT
public:
    explicit ServerListView(QWidget* parent = nullptr);
};

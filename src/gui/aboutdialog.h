#pragma once

#include <QWidget>

// The about box: title, version, logo and thanks. Created on first use and
// afterwards only shown and hidden, so it keeps its contents.
class AboutDialog : public QWidget
{
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);

    static QString titleText();
};

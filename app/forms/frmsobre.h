#pragma once

#include <QPixmap>
#include <QWidget>
#include <memory>

namespace runtime {
class Platform;
}

namespace Ui {
class frmsobre;
}

// The about window: the program's name, version and authors, and a link that
// opens the publisher's web site.
class frmsobre : public QWidget
{
    Q_OBJECT
public:
    frmsobre(runtime::Platform &platform, QWidget *parent = nullptr);
    ~frmsobre() override;

    const QPixmap &picture() const { return m_picture; }

public slots:
    void Label5_Click();
    void cmdok_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();

    std::unique_ptr<Ui::frmsobre> ui;
    runtime::Platform &m_platform;
    QPixmap m_picture;
};

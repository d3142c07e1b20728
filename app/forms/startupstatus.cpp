#include "forms/startupstatus.h"

StartupStatus::StartupStatus(const StartupWork &work, QWidget *parent)
    : QLabel(parent)
    , m_work(work)
{
    setObjectName(QStringLiteral("StatusBarPreparo"));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    connect(&work, &StartupWork::stageChanged, this, &StartupStatus::follow);
    connect(&work, &StartupWork::indexProgress, this, &StartupStatus::follow);
    follow();
}

QString StartupStatus::indexingText(int percent)
{
    return QStringLiteral("Preparando os índices do banco de dados: %1%").arg(percent);
}

void StartupStatus::follow()
{
    switch (m_work.stage()) {
    case StartupWork::Stage::Checking:
        setText(QStringLiteral("Verificando o banco de dados…"));
        break;
    case StartupWork::Stage::Indexing:
        setText(indexingText(m_work.percent()));
        break;
    case StartupWork::Stage::Idle:
        setText(QString());
        break;
    }
    setAccessibleName(text());
    setVisible(!text().isEmpty());
}

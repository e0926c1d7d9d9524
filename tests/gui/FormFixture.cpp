#include "FormFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace orvandel::test {

FormFixture::FormFixture()
{
    m_oldHome = qgetenv("HOME");
    m_oldConfigHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", m_home.path().toLocal8Bit());
    qunsetenv("XDG_CONFIG_HOME");
    QDir(m_home.path()).mkpath(QStringLiteral("Desktop"));
    settings = std::make_unique<SettingsStore>(m_scratch.path() + QStringLiteral("/settings/Quorvane.ini"));
}

FormFixture::~FormFixture()
{
    m_form.reset();
    qputenv("HOME", m_oldHome);
    if (m_oldConfigHome.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", m_oldConfigHome);
}

Form1& FormFixture::start(bool thorough)
{
    m_form.reset();
    m_form = std::make_unique<Form1>(FormServices {prompts, *settings, m_program.path(), thorough});
    m_form->Form_Load();
    return *m_form;
}

QString FormFixture::desktop() const
{
#if defined(Q_OS_WIN)
    return Native(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)) + QDir::separator();
#else
    return m_home.path() + QStringLiteral("/Desktop/");
#endif
}

QString FormFixture::setting(const QString& key) const
{
    return settings->GetSetting(kSettingsApplication, kSettingsSection, key, QStringLiteral("<absent>"));
}

bool FormFixture::hasSetting(const QString& key) const
{
    return settings->findSetting(kSettingsApplication, kSettingsSection, key).has_value();
}

void FormFixture::putSetting(const QString& key, const QString& value)
{
    settings->SaveSetting(kSettingsApplication, kSettingsSection, key, value);
}

namespace {
    QString WriteFile(const QString& path, const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile out(path);
        if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            out.write(bytes);
        return path;
    }
} // namespace

QString FormFixture::programFile(const QString& relative, const QByteArray& bytes)
{
    return WriteFile(m_program.path() + QLatin1Char('/') + relative, bytes);
}

QString FormFixture::file(const QString& relative, const QByteArray& bytes)
{
    return WriteFile(m_scratch.path() + QLatin1Char('/') + relative, bytes);
}

QString FormFixture::folder(const QString& relative)
{
    const QString path = m_scratch.path() + QLatin1Char('/') + relative;
    QDir().mkpath(path);
    return path;
}

} // namespace orvandel::test

#include "FormFixture.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QStandardPaths>
#if !defined(Q_OS_WIN)
#include <sys/stat.h>
#endif

namespace orvandel::test {

FormFixture::FormFixture()
{
    m_oldHome = qgetenv("HOME");
    m_oldConfigHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", m_home.path().toLocal8Bit());
    qunsetenv("XDG_CONFIG_HOME");
    QDir(m_home.path()).mkpath(QStringLiteral("Desktop"));
    settings = std::make_unique<SettingsStore>(settingsPath());
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
    m_form = std::make_unique<Form1>(FormServices {prompts, *settings, m_program.path(), thorough, fetch});
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

QString FormFixture::settingsPath() const
{
    return m_scratch.path() + QStringLiteral("/settings/Quorvane.ini");
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

QString FormFixture::programPath(const QString& relative, bool pipe)
{
    const QString path = m_program.path() + QLatin1Char('/') + relative;
    if (pipe) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile::remove(path);
#if defined(Q_OS_WIN)
        // Windows keeps no pipe among its files: a folder stands there, which is refused alike.
        if (!QDir().mkpath(path))
            qFatal("no folder at %s", qPrintable(path));
#else
        if (::mkfifo(QFile::encodeName(path).constData(), 0600) != 0)
            qFatal("no pipe at %s", qPrintable(path));
#endif
    }
    return path;
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

QByteArray PngIconFile(QSize size, bool cursor, QPoint hotSpot)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < size.height(); ++y)
        image.setPixelColor(y * size.width() / size.height() / 2, y, Qt::black);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "png");
    QByteArray file;
    const auto put = [&](quint32 value, int length) {
        for (int i = 0; i < length; ++i)
            file.append(static_cast<char>((value >> (8 * i)) & 0xFF));
    };
    put(0, 2);
    put(cursor ? 2 : 1, 2);
    put(1, 2);
    put(size.width() >= 256 ? 0 : size.width(), 1);
    put(size.height() >= 256 ? 0 : size.height(), 1);
    put(0, 2);
    put(cursor ? hotSpot.x() : 1, 2);
    put(cursor ? hotSpot.y() : 32, 2);
    put(static_cast<quint32>(png.size()), 4);
    put(22, 4);
    return file + png;
}

} // namespace orvandel::test

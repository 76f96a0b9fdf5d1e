#include "system/UtilityNotices.h"

#include "platform/audio/Audio.h"
#include "platform/ui/Ui.h"

#include <QFile>

#include <cstring>

using namespace lumivo::ui;

// ---- Questions and notices

bool ConfirmTwice(const QString& text, const QString& caption, QWidget* owner)
{
    if (messageBox(text, caption, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, owner) != IDYES)
        return false;
    return messageBox(QStringLiteral("Are you sure ?"), caption, MB_YESNO | MB_ICONHAND | MB_DEFBUTTON2,
                      owner) == IDYES;
}

int ShowMessage(const QString& text, const QString& caption, QWidget* owner)
{
    return messageBox(text, caption, MB_OK, owner);
}

int ShowWarning(const QString& text, const QString& caption)
{
    return messageBox(text, caption, MB_ICONEXCLAMATION, nullptr);
}

int ShowSystemError(int errorCode, QWidget* owner)
{
    return messageBox(QString::fromLocal8Bit(std::strerror(errorCode)), QStringLiteral("Error"),
                      MB_ICONINFORMATION, owner);
}

// ---- Folder chooser

bool BrowseForFolder(QString& path, QWidget* owner, const QString& title, const QString& rootPath,
                     const QString& initialFolder)
{
    const auto chosen = chooseFolder(title, rootPath, initialFolder, owner);
    path = chosen.value_or(QString());
    return chosen.has_value();
}

// ---- Sounds

namespace
{
constexpr int kLongestSyncSoundMs = 60000;
bool theSoundWarningShown = false;

QByteArray waveResource(const QString& name)
{
    for (const QString& path :
         {QStringLiteral(":/wave/") + name, QStringLiteral(":/wave/") + name + ".wav"}) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            return file.readAll();
    }
    return {};
}
} // namespace

bool PlaySoundByName(const QString& path)
{
    const int channel = lumivo::audio::playWaveFile(path);
    return channel >= 0 && lumivo::audio::waitUntilDone(channel, kLongestSyncSoundMs);
}

bool PlayWaveResource(const QString& name)
{
    const QByteArray bytes = waveResource(name);
    if (!bytes.isEmpty() && lumivo::audio::playWave(bytes) >= 0)
        return true;
    if (!theSoundWarningShown) {
        theSoundWarningShown = true;
        messageBox(QStringLiteral("Can't play sound."), QString(), MB_OK);
    }
    return false;
}

bool PlayWaveResource(int number)
{
    return PlayWaveResource(QString::number(number));
}

void ResetSoundWarning()
{
    theSoundWarningShown = false;
}

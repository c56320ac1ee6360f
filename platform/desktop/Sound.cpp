#include "platform/desktop/Sound.h"

#include "platform/desktop/Bundle.h"

#include <QFileInfo>
#include <QStringList>

#include <alsa/asoundlib.h>
#include <canberra.h>

#include <mutex>

namespace platform::desktop {
namespace {

std::mutex g_observerMutex;
SoundObserver g_observer;

// ALSA reports a missing card or device by writing to standard error from inside
// the library, several lines per play; for us a missing device is silence, so the
// process's ALSA error handler says nothing. (libcanberra's ALSA backend shares the
// process's one libasound.)
void silentAlsaError(const char* /*file*/, int /*line*/, const char* /*function*/, int /*err*/,
                     const char* /*fmt*/, ...)
{
}

// One context for the process. libcanberra plays asynchronously: ca_context_play
// hands the file to the sound service (or ALSA) and returns; without a service or
// a device it returns an error at once, which we ignore: a missing sound is silence.
ca_context* sharedContext()
{
    static ca_context* context = [] {
        snd_lib_error_set_handler(silentAlsaError);
        ca_context* c = nullptr;
        if (ca_context_create(&c) != CA_SUCCESS)
            return static_cast<ca_context*>(nullptr);
        ca_context_change_props(c, CA_PROP_APPLICATION_NAME, "Quorvell", CA_PROP_APPLICATION_ID,
                                "com.brightfold.Quorvell", nullptr);
        return c;
    }();
    return context;
}

class FileSound final : public Sound {
public:
    FileSound(QString name, QString path) : m_name(std::move(name)), m_path(std::move(path)) { }

    void play() override
    {
        {
            std::lock_guard lock(g_observerMutex);
            if (g_observer) {
                g_observer(m_name);
                return;
            }
        }
        if (ca_context* c = sharedContext()) {
            const QByteArray path = m_path.toLocal8Bit();
            const QByteArray name = m_name.toUtf8();
            ca_context_play(c, 0, CA_PROP_MEDIA_FILENAME, path.constData(), CA_PROP_EVENT_DESCRIPTION,
                            name.constData(), nullptr);
        }
    }

private:
    QString m_name;
    QString m_path;
};

}  // namespace

std::unique_ptr<Sound> soundNamed(const QString& name)
{
    const auto resources = resourcesDirectory();
    if (!resources || name.isEmpty() || name.contains(QLatin1Char('/')))
        return nullptr;
    static const QStringList extensions{QStringLiteral(".oga"), QStringLiteral(".ogg"), QStringLiteral(".wav")};
    for (const QString& extension : extensions) {
        const QString path = *resources + QStringLiteral("/sounds/") + name + extension;
        if (QFileInfo(path).isFile())
            return std::make_unique<FileSound>(name, path);
    }
    return nullptr;
}

void setSoundObserver(SoundObserver observer)
{
    std::lock_guard lock(g_observerMutex);
    g_observer = std::move(observer);
}

}  // namespace platform::desktop

#pragma once
// Event sounds. A sound is looked up by name among the app's resources
// ("Ping" -> resources/sounds/Ping.oga or similar) and played without blocking
// through libcanberra. No sound service, no device, no file: nothing, silently.

#include <QString>

#include <functional>
#include <memory>

namespace platform::desktop {

class Sound {
public:
    virtual ~Sound() = default;
    // Starts playing and returns at once.
    virtual void play() = 0;
};

// The sound resource of that name, or nullptr when there is none.
[[nodiscard]] std::unique_ptr<Sound> soundNamed(const QString& name);

// Tests observe plays here instead of hearing them; an empty function restores playing.
using SoundObserver = std::function<void(const QString& name)>;
void setSoundObserver(SoundObserver observer);

}  // namespace platform::desktop

// keymap.cpp -- key names and the binding of the ships' actions; nothing is kept between calls.
#include "tasks/keymap.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstring>
#include <optional>

namespace {

constexpr const char *action_names[keymap_actionCount] = {"left", "right", "up", "down", "bullets", "rockets"};

std::string lowered(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

SDLKey keyNamed(const std::string &wanted)
{
    for (int k = SDLK_FIRST + 1; k < SDLK_LAST; ++k) {
        const char *name = SDL_GetKeyName(static_cast<SDLKey>(k));
        if (name != nullptr && std::strcmp(name, "unknown key") != 0 && lowered(name) == wanted)
            return static_cast<SDLKey>(k);
    }
    return SDLK_UNKNOWN;
}

struct Slot {
    int ship, action;
};

} // namespace

SDLKey &keymap_key(ShipKeys &keys, int action)
{
    SDLKey *const all[keymap_actionCount] = {&keys.left, &keys.right, &keys.up, &keys.down, &keys.bullet, &keys.rockets};
    return *all[std::clamp(action, 0, keymap_actionCount - 1)];
}

SDLKey keymap_key(const ShipKeys &keys, int action)
{
    return keymap_key(const_cast<ShipKeys &>(keys), action);
}

std::string keymap_settingName(int ship, int action)
{
    return "player" + std::to_string(ship + 1) + "_" + action_names[std::clamp(action, 0, keymap_actionCount - 1)];
}

std::string keymap_keyName(SDLKey key)
{
    std::string name = SDL_GetKeyName(key);
    std::replace(name.begin(), name.end(), ' ', '_');
    return name;
}

// "_" is a key's own name; elsewhere an underscore stands for a blank.
SDLKey keymap_keyByName(const std::string &name)
{
    const std::string wanted = lowered(name);
    const SDLKey exact = keyNamed(wanted);
    if (exact != SDLK_UNKNOWN || wanted.find('_') == std::string::npos)
        return exact;
    std::string spaced = wanted;
    std::replace(spaced.begin(), spaced.end(), '_', ' ');
    return keyNamed(spaced);
}

std::vector<KeymapProblem> keymap_bind(ShipKeys *keys, int count,
                                       const std::function<const char *(const std::string &)> &value,
                                       const std::vector<SDLKey> &reserved)
{
    std::vector<KeymapProblem> problems;
    const std::vector<ShipKeys> defaults(keys, keys + count);
    std::vector<Slot> rebound; // in setting order
    for (int ship = 0; ship < count; ++ship) {
        for (int action = 0; action < keymap_actionCount; ++action) {
            const std::string setting = keymap_settingName(ship, action);
            const char *text = value(setting);
            if (text == nullptr)
                continue;
            const std::string stays = "; " + setting + " stays " + keymap_keyName(keymap_key(defaults[ship], action));
            const SDLKey key = keymap_keyByName(text);
            if (key == SDLK_UNKNOWN) {
                problems.push_back({setting, "Setting " + setting + "=" + text + ": no key has that name" + stays});
                continue;
            }
            if (std::find(reserved.begin(), reserved.end(), key) != reserved.end()) {
                problems.push_back({setting, "Setting " + setting + "=" + text + ": " + keymap_keyName(key) +
                                                 " is a command key" + stays});
                continue;
            }
            keymap_key(keys[ship], action) = key;
            rebound.push_back({ship, action});
        }
    }
    // A rebound action that shares its key gives way, then the search starts again; each gives way
    // at most once, so this ends (at worst with every action on its default, where no two share a key).
    const auto holder = [&](size_t i) -> std::optional<Slot> {
        const Slot me = rebound[i];
        const SDLKey key = keymap_key(keys[me.ship], me.action);
        for (int ship = 0; ship < count; ++ship) {
            for (int action = 0; action < keymap_actionCount; ++action) {
                if ((ship == me.ship && action == me.action) || keymap_key(keys[ship], action) != key)
                    continue;
                const auto other = std::find_if(rebound.begin(), rebound.end(),
                                                [&](const Slot &s) { return s.ship == ship && s.action == action; });
                if (other == rebound.end() || other < rebound.begin() + static_cast<std::ptrdiff_t>(i))
                    return Slot{ship, action};
            }
        }
        return std::nullopt;
    };
    for (size_t i = 0; i < rebound.size();) {
        const std::optional<Slot> other = holder(i);
        if (!other) {
            ++i;
            continue;
        }
        const Slot me = rebound[i];
        const std::string setting = keymap_settingName(me.ship, me.action);
        const std::string key = keymap_keyName(keymap_key(keys[me.ship], me.action));
        const SDLKey old = keymap_key(defaults[me.ship], me.action);
        problems.push_back({setting, "Setting " + setting + "=" + key + ": " + key + " is already the key of " +
                                         keymap_settingName(other->ship, other->action) + "; " + setting + " stays " +
                                         keymap_keyName(old)});
        keymap_key(keys[me.ship], me.action) = old;
        rebound.erase(rebound.begin() + static_cast<std::ptrdiff_t>(i));
        i = 0;
    }
    return problems;
}

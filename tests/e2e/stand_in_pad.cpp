// stand_in_pad.cpp -- preloaded into the real program by the gamepad test, in place of SDL 1.2's
// joystick functions: plays pads that the test drives by appending lines to a file. The pads live
// for the whole process.
//
// STAND_IN_PADS     names of the pads plugged in at start, separated by '|'
// STAND_IN_PAD_FILE the file the test appends to; each line is one change of pad n (from 1):
//                   "n axis <axis> <value>", "n hat <value>", "n button <button> <0|1>",
//                   "n unplug", "n plug"
//
// As in SDL 1.2 on Linux: the list of pads is what is plugged in when the program asks for it,
// an open pad reports its changes as joystick events from SDL's event pump while joystick
// events are enabled, and an unplugged pad stays open but reports nothing more.
#include <SDL.h>
#include <dlfcn.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct StandInPad {
    std::string name;
    bool plugged = true;
    int openAs = -1; // SDL's index when it was opened; -1 while closed
    std::array<Sint16, 2> axes{};
    Uint8 hat = SDL_HAT_CENTERED;
    std::array<Uint8, 12> buttons{};
};

std::vector<StandInPad> &standInPads()
{
    static std::vector<StandInPad> pads = [] {
        std::vector<StandInPad> made;
        std::istringstream names(std::getenv("STAND_IN_PADS") != nullptr ? std::getenv("STAND_IN_PADS") : "");
        std::string name;
        while (std::getline(names, name, '|'))
            if (!name.empty())
                made.push_back(StandInPad{name});
        return made;
    }();
    return pads;
}

// The pad SDL lists at index, or nullptr.
StandInPad *listed(int index)
{
    for (StandInPad &pad : standInPads())
        if (pad.plugged && index-- == 0)
            return &pad;
    return nullptr;
}

StandInPad *fromHandle(SDL_Joystick *joystick)
{
    return reinterpret_cast<StandInPad *>(joystick);
}

void report(const StandInPad &pad, SDL_Event event)
{
    if (pad.openAs < 0 || !pad.plugged || SDL_EventState(event.type, SDL_QUERY) != SDL_ENABLE)
        return;
    event.jaxis.which = static_cast<Uint8>(pad.openAs); // the same place in every joystick event
    SDL_PushEvent(&event);
}

void apply(const std::string &line)
{
    std::istringstream words(line);
    size_t number = 0;
    std::string what;
    int a = 0, b = 0;
    if (!(words >> number >> what) || number < 1 || number > standInPads().size())
        return;
    StandInPad &pad = standInPads()[number - 1];
    SDL_Event event = {};
    if (what == "axis" && words >> a >> b && a >= 0 && a < 2) {
        pad.axes[a] = static_cast<Sint16>(b);
        event.type = SDL_JOYAXISMOTION;
        event.jaxis.axis = static_cast<Uint8>(a);
        event.jaxis.value = static_cast<Sint16>(b);
        report(pad, event);
    } else if (what == "hat" && words >> a) {
        pad.hat = static_cast<Uint8>(a);
        event.type = SDL_JOYHATMOTION;
        event.jhat.value = static_cast<Uint8>(a);
        report(pad, event);
    } else if (what == "button" && words >> a >> b && a >= 0 && a < 12) {
        pad.buttons[a] = b != 0;
        event.type = b != 0 ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
        event.jbutton.button = static_cast<Uint8>(a);
        event.jbutton.state = b != 0 ? SDL_PRESSED : SDL_RELEASED;
        report(pad, event);
    } else if (what == "unplug") {
        pad.plugged = false;
    } else if (what == "plug") {
        pad.plugged = true;
    }
}

// Applies the lines added to the file since the last call; a line still being written waits.
void readInput()
{
    static long done = 0;
    const char *path = std::getenv("STAND_IN_PAD_FILE");
    FILE *file = path != nullptr ? std::fopen(path, "r") : nullptr;
    if (file == nullptr)
        return;
    std::fseek(file, done, SEEK_SET);
    std::string line;
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) {
        line += static_cast<char>(c);
        if (c == '\n') {
            done += static_cast<long>(line.size());
            apply(line);
            line.clear();
        }
    }
    std::fclose(file);
}

} // namespace

extern "C" {

int SDL_NumJoysticks(void)
{
    int count = 0;
    while (listed(count) != nullptr)
        ++count;
    return count;
}

const char *SDL_JoystickName(int index)
{
    const StandInPad *pad = listed(index);
    return pad != nullptr ? pad->name.c_str() : nullptr;
}

SDL_Joystick *SDL_JoystickOpen(int index)
{
    StandInPad *pad = listed(index);
    if (pad == nullptr) {
        SDL_SetError("Joystick index %d out of range", index);
        return nullptr;
    }
    pad->openAs = index;
    return reinterpret_cast<SDL_Joystick *>(pad);
}

int SDL_JoystickOpened(int index)
{
    const StandInPad *pad = listed(index);
    return pad != nullptr && pad->openAs >= 0;
}

int SDL_JoystickIndex(SDL_Joystick *joystick) { return fromHandle(joystick)->openAs; }
int SDL_JoystickNumAxes(SDL_Joystick *) { return 2; }
int SDL_JoystickNumHats(SDL_Joystick *) { return 1; }
int SDL_JoystickNumButtons(SDL_Joystick *) { return 12; }
int SDL_JoystickNumBalls(SDL_Joystick *) { return 0; }

Sint16 SDL_JoystickGetAxis(SDL_Joystick *joystick, int axis)
{
    return axis >= 0 && axis < 2 ? fromHandle(joystick)->axes[axis] : 0;
}

Uint8 SDL_JoystickGetHat(SDL_Joystick *joystick, int hat)
{
    return hat == 0 ? fromHandle(joystick)->hat : 0;
}

Uint8 SDL_JoystickGetButton(SDL_Joystick *joystick, int button)
{
    return button >= 0 && button < 12 ? fromHandle(joystick)->buttons[button] : 0;
}

void SDL_JoystickUpdate(void)
{
    readInput();
}

void SDL_JoystickClose(SDL_Joystick *joystick)
{
    if (joystick != nullptr)
        fromHandle(joystick)->openAs = -1;
}

// SDL's own pump reads the real devices (there are none); the stand-in pads report after it.
void SDL_PumpEvents(void)
{
    static const auto real = reinterpret_cast<void (*)()>(dlsym(RTLD_NEXT, "SDL_PumpEvents"));
    if (real != nullptr)
        real();
    readInput();
}

} // extern "C"

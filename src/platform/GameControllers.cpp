#include "platform/GameControllers.h"

#include "platform/PressEvents.h"

#include <SDL.h>
#include <algorithm>
#include <cmath>
#include <cstring>

static_assert(int(GameControllers::kA) == SDL_CONTROLLER_BUTTON_A &&
              int(GameControllers::kBack) == SDL_CONTROLLER_BUTTON_BACK &&
              int(GameControllers::kRightShoulder) == SDL_CONTROLLER_BUTTON_RIGHTSHOULDER &&
              int(GameControllers::kDpadRight) == SDL_CONTROLLER_BUTTON_DPAD_RIGHT &&
              int(GameControllers::kRightTriggerAxis) == SDL_CONTROLLER_AXIS_TRIGGERRIGHT);

namespace {
// Sees SDL's events as they arrive, before the message loop drops them.
int WatchControllerEvents(void* userdata, SDL_Event* event) {
    static_cast<GameControllers*>(userdata)->NoteEvent(*event);
    return 1;
}

float AxisPosition(SDL_GameController* controller, int axis) {
    const float value = SDL_GameControllerGetAxis(controller, SDL_GameControllerAxis(axis));
    return std::clamp(value / 32767.0f, -1.0f, 1.0f);
}
} // namespace

GameControllers::GameControllers()
    : open(false), rescan(false), count(0), controllers{}, down{}, pressed{}, events{}, axes{} {}

GameControllers::~GameControllers() {
    Close();
}

bool GameControllers::Open() {
    if (open)
        return true;
    // Like the keyboard, a controller counts whichever window has the focus.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0)
        return false;
    SDL_AddEventWatch(WatchControllerEvents, this);
    open = true;
    rescan = true;
    PickUpAndLetGo();
    return true;
}

void GameControllers::Close() {
    if (!open)
        return;
    SDL_DelEventWatch(WatchControllerEvents, this);
    for (int i = 0; i < count; ++i)
        SDL_GameControllerClose(controllers[i]);
    count = 0;
    std::memset(down, 0, sizeof down);
    std::memset(pressed, 0, sizeof pressed);
    std::memset(events, 0, sizeof events);
    std::fill(std::begin(axes), std::end(axes), 0.0f);
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    open = false;
}

void GameControllers::NoteEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_JOYDEVICEADDED:
    case SDL_CONTROLLERDEVICEADDED:
    case SDL_CONTROLLERDEVICEREMAPPED: // a joystick may become a controller
        rescan = true;
        break;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
        if (event.cbutton.button < kRightTrigger)
            events[event.cbutton.button] =
                NotePress(events[event.cbutton.button], event.type == SDL_CONTROLLERBUTTONDOWN);
        break;
    case SDL_CONTROLLERAXISMOTION:
        if (event.caxis.axis == SDL_CONTROLLER_AXIS_TRIGGERRIGHT)
            events[kRightTrigger] =
                NotePress(events[kRightTrigger], event.caxis.value / 32767.0f >= kTriggerPress);
        break;
    default:
        break;
    }
}

void GameControllers::PickUpAndLetGo() {
    for (int i = 0; i < count; ++i)
        if (!SDL_GameControllerGetAttached(controllers[i])) {
            SDL_GameControllerClose(controllers[i]);
            controllers[i--] = controllers[--count];
        }
    if (!rescan.exchange(false))
        return;
    for (int index = 0; index < SDL_NumJoysticks() && count < kMaxControllers; ++index) {
        if (!SDL_IsGameController(index))
            continue;
        const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
        bool known = false;
        for (int i = 0; i < count; ++i)
            known = known ||
                    SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controllers[i])) == id;
        if (known)
            continue;
        if (SDL_GameController* controller = SDL_GameControllerOpen(index))
            controllers[count++] = controller;
    }
}

void GameControllers::Read() {
    if (!open)
        return;
    SDL_GameControllerUpdate(); // the state now, and its events noted, even where nothing pumps
    PickUpAndLetGo();
    unsigned char now[kButtonCount] = {};
    std::fill(std::begin(axes), std::end(axes), 0.0f);
    for (int i = 0; i < count; ++i) {
        for (int button = 0; button < kRightTrigger; ++button)
            now[button] |=
                SDL_GameControllerGetButton(controllers[i], SDL_GameControllerButton(button));
        for (int axis = 0; axis < kAxisCount; ++axis) {
            const float position = AxisPosition(controllers[i], axis);
            if (std::fabs(position) > std::fabs(axes[axis]))
                axes[axis] = position;
        }
    }
    now[kRightTrigger] = axes[kRightTriggerAxis] >= kTriggerPress;
    for (int button = 0; button < kButtonCount; ++button) {
        // A tap between two reads counts as down in this one.
        const bool level = now[button] != 0 || (events[button] & kPressWentDown) != 0;
        pressed[button] = WentDown(level, down[button] != 0, events[button]);
        down[button] = level;
        events[button] = 0;
    }
}

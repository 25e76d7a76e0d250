// The options dialog's window: a small modal window drawn with Dear ImGui from
// the dialog template, before the main window exists. Its logic is
// OptionsDialogProc; this file only shows the template and feeds it what the
// user does.
#include "app/ModalDialog.h"

#include <GL/gl.h>
#include <SDL.h>
#include <algorithm>
#include <cfloat>
#include <filesystem>
#include <imgui.h>
#include <imgui_impl_opengl2.h>
#include <imgui_impl_sdl.h>

namespace {
// Dialog units in pixels; the template was drawn for an 8-point system font,
// where a unit is about 1.5 pixels across and 1.6 down, and our font is a
// little larger.
constexpr float kUnitX = 2.0f;
constexpr float kUnitY = 2.0f;
constexpr float kFontPixels = 13.0f;
const char* const kFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

struct DialogWindow {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    ImGuiContext* gui = nullptr;
    // Where the last mouse event happened; a click's frames use its own place,
    // not where the pointer has gone since.
    ImVec2 mouse = ImVec2(-FLT_MAX, -FLT_MAX);
    bool releaseFrame = false; // the frame after a click, before more input

    bool Open(const DialogTemplate& dialogTemplate) {
        SDL_GL_ResetAttributes();
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        int width = static_cast<int>(dialogTemplate.width * kUnitX);
        int height = static_cast<int>(dialogTemplate.height * kUnitY);
        window =
            SDL_CreateWindow(dialogTemplate.caption, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                             width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (window == nullptr)
            return false;
        context = SDL_GL_CreateContext(window);
        if (context == nullptr || SDL_GL_MakeCurrent(window, context) != 0)
            return false;
        SDL_GL_SetSwapInterval(1);

        IMGUI_CHECKVERSION();
        gui = ImGui::CreateContext();
        ImGuiIO& io = ImGui::GetIO();
        io.IniFilename = nullptr; // nothing is remembered between runs
        io.LogFilename = nullptr;
        std::error_code error;
        if (std::filesystem::exists(kFontFile, error))
            io.Fonts->AddFontFromFileTTF(kFontFile, kFontPixels);
        ImGui::StyleColorsLight();
        ImGuiStyle& style = ImGui::GetStyle();
        style.WindowRounding = 0.0f;
        style.FrameRounding = 2.0f;
        style.FrameBorderSize = 1.0f;
        style.Colors[ImGuiCol_WindowBg] = ImVec4(0.94f, 0.94f, 0.94f, 1.0f);
        ImGui_ImplSDL2_InitForOpenGL(window, context);
        ImGui_ImplOpenGL2_Init();
        return true;
    }

    ~DialogWindow() {
        if (gui != nullptr) {
            ImGui_ImplOpenGL2_Shutdown();
            ImGui_ImplSDL2_Shutdown();
            ImGui::DestroyContext(gui);
        }
        if (context != nullptr) {
            SDL_GL_MakeCurrent(window, nullptr);
            SDL_GL_DeleteContext(context);
        }
        if (window != nullptr)
            SDL_DestroyWindow(window);
        // What the dialog's window left in the queue (its close, the quit SDL
        // sends when the last window closes) is not for the main window.
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
};

ImVec2 Pixels(int unitsX, int unitsY) {
    return ImVec2(unitsX * kUnitX, unitsY * kUnitY);
}

// The focus as the platform draws it: a dotted rectangle just inside a push
// button, around a radio button's label.
void DrawFocusRectangle(bool aroundLabel) {
    ImVec2 min = ImGui::GetItemRectMin(), max = ImGui::GetItemRectMax();
    if (aroundLabel) {
        min.x += ImGui::GetFrameHeight() + ImGui::GetStyle().ItemInnerSpacing.x - 2;
        max.x += 1;
    } else {
        min = ImVec2(min.x + 3, min.y + 3);
        max = ImVec2(max.x - 4, max.y - 4);
    }
    ImDrawList* draw = ImGui::GetWindowDrawList();
    const ImU32 black = IM_COL32(0, 0, 0, 255);
    for (float x = min.x; x <= max.x; x += 2) {
        draw->AddRectFilled(ImVec2(x, min.y), ImVec2(x + 1, min.y + 1), black);
        draw->AddRectFilled(ImVec2(x, max.y), ImVec2(x + 1, max.y + 1), black);
    }
    for (float y = min.y; y <= max.y; y += 2) {
        draw->AddRectFilled(ImVec2(min.x, y), ImVec2(min.x + 1, y + 1), black);
        draw->AddRectFilled(ImVec2(max.x, y), ImVec2(max.x + 1, y + 1), black);
    }
}

// What a key press means to the dialog, if anything; held keys repeat only
// where that moves the focus.
bool DialogKeyOf(const SDL_KeyboardEvent& key, DialogKey& dialogKey) {
    const bool repeat = key.repeat != 0;
    switch (key.keysym.sym) {
    case SDLK_TAB:
        dialogKey = (key.keysym.mod & KMOD_SHIFT) != 0 ? DialogKey::ShiftTab : DialogKey::Tab;
        return true;
    case SDLK_LEFT:
    case SDLK_UP:
        dialogKey = DialogKey::Previous;
        return true;
    case SDLK_RIGHT:
    case SDLK_DOWN:
        dialogKey = DialogKey::Next;
        return true;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        dialogKey = DialogKey::Enter;
        return !repeat;
    case SDLK_SPACE:
        dialogKey = DialogKey::Space;
        return !repeat;
    case SDLK_ESCAPE:
        dialogKey = DialogKey::Escape;
        return !repeat;
    case SDLK_F4:
        dialogKey = DialogKey::AltF4;
        return !repeat && (key.keysym.mod & KMOD_ALT) != 0;
    default:
        return false;
    }
}

// Draws the template's controls; returns the push button clicked, or 0.
int DrawControls(const DialogTemplate& dialogTemplate, ModalDialog& dialog) {
    int clicked = 0;
    for (int i = 0; i < dialogTemplate.controlCount; ++i) {
        const DialogControl& control = dialogTemplate.controls[i];
        ImVec2 position = Pixels(control.x, control.y);
        ImVec2 size = Pixels(control.width, control.height);
        ImGui::PushID(i);
        switch (control.kind) {
        case ControlKind::StaticText:
            if (ImGui::CalcTextSize(control.text).x > size.x && control.height <= 10) {
                // A one-line label wider in our font than in the template's
                // keeps its right end, clear of the buttons to its right.
                position.x =
                    std::max(0.0f, position.x + size.x - ImGui::CalcTextSize(control.text).x);
            }
            ImGui::SetCursorPos(ImVec2(position.x, position.y));
            ImGui::PushTextWrapPos(Pixels(control.x + control.width, 0).x);
            ImGui::TextUnformatted(control.text);
            ImGui::PopTextWrapPos();
            break;
        case ControlKind::RadioButton:
            ImGui::SetCursorPos(ImVec2(position.x, position.y - 3.0f));
            if (ImGui::RadioButton(control.text,
                                   dialog.IsDlgButtonChecked(control.id) == BST_CHECKED))
                dialog.ClickRadio(control.id);
            if (control.id == dialog.focus)
                DrawFocusRectangle(true);
            break;
        case ControlKind::PushButton:
        case ControlKind::DefaultPushButton: {
            // The bold frame marks the button Enter presses.
            bool isDefault = control.id == dialog.EnterButton();
            ImGui::SetCursorPos(position);
            if (isDefault) {
                ImGui::PushStyleVar(ImGuiStyleVar_FrameBorderSize, 2.0f);
                ImGui::PushStyleColor(ImGuiCol_Border, ImVec4(0.0f, 0.0f, 0.0f, 1.0f));
            }
            if (ImGui::Button(control.text, size))
                clicked = control.id;
            if (isDefault) {
                ImGui::PopStyleColor();
                ImGui::PopStyleVar();
            }
            if (control.id == dialog.focus)
                DrawFocusRectangle(false);
            break;
        }
        }
        ImGui::PopID();
    }
    return clicked;
}

// Turns the window's events into the dialog's messages; false once it ended.
// A click ends the events taken for a frame: it is drawn pressed in one frame
// and released in the next, so that two quick clicks are two clicks.
bool HandleEvents(DialogWindow& shown, ModalDialog& dialog) {
    if (shown.releaseFrame) {
        shown.releaseFrame = false;
        return true;
    }
    SDL_Event event;
    // Wait a little for input rather than drawing as fast as possible.
    if (SDL_WaitEventTimeout(&event, 50) == 0)
        return true;
    do {
        ImGui_ImplSDL2_ProcessEvent(&event);
        if (event.type == SDL_MOUSEMOTION)
            shown.mouse = ImVec2(float(event.motion.x), float(event.motion.y));
        if (event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP)
            shown.mouse = ImVec2(float(event.button.x), float(event.button.y));
        if (event.type == SDL_QUIT) {
            // A termination request from outside closes it like its close button.
            dialog.Send(WM_CLOSE);
        } else if (event.type == SDL_WINDOWEVENT &&
                   event.window.windowID == SDL_GetWindowID(shown.window) &&
                   event.window.event == SDL_WINDOWEVENT_CLOSE) {
            dialog.Send(WM_CLOSE);
        } else if (DialogKey key; event.type == SDL_KEYDOWN && DialogKeyOf(event.key, key)) {
            dialog.PressKey(key);
        }
        dialog.DeliverPosted();
        if (dialog.ended)
            return false;
        if (event.type == SDL_MOUSEBUTTONUP) {
            shown.releaseFrame = true;
            break;
        }
    } while (SDL_PollEvent(&event) != 0);
    return true;
}

void DrawFrame(DialogWindow& shown, const DialogTemplate& dialogTemplate, ModalDialog& dialog) {
    ImGui_ImplOpenGL2_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    ImGuiIO& io = ImGui::GetIO();
    io.MousePos = shown.mouse;
    ImGui::NewFrame();
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(io.DisplaySize);
    ImGui::Begin("##options", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                     ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoBringToFrontOnFocus);
    int clicked = DrawControls(dialogTemplate, dialog);
    ImGui::End();
    ImGui::Render();
    glViewport(0, 0, static_cast<int>(io.DisplaySize.x), static_cast<int>(io.DisplaySize.y));
    glClearColor(0.94f, 0.94f, 0.94f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    SDL_GL_SwapWindow(shown.window);
    // Commands go to the procedure once the frame is complete (Cancel does
    // not come back).
    if (clicked != 0) {
        dialog.ClickButton(clicked);
        dialog.DeliverPosted();
    }
}

intptr_t RunDialogWindow(void* /*instance*/, const DialogTemplate& dialogTemplate,
                         ModalDialog::Procedure procedure, intptr_t initParam) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return -1;
    intptr_t result = -1;
    {
        DialogWindow shown;
        if (!shown.Open(dialogTemplate))
            return -1;
        ModalDialog dialog(dialogTemplate, procedure);
        dialog.Send(WM_INITDIALOG, 0, initParam);
        if (dialog.positioned)
            SDL_SetWindowPosition(shown.window, dialog.x, dialog.y);
        SDL_ShowWindow(shown.window);
        SDL_RaiseWindow(shown.window);
        dialog.DeliverPosted();
        while (!dialog.ended) {
            if (!HandleEvents(shown, dialog))
                break;
            DrawFrame(shown, dialogTemplate, dialog);
        }
        result = dialog.result;
    }
    // The video subsystem stays up for the main window that follows.
    return result;
}

// Installed before WinMain runs, so start-up can show the dialog.
[[maybe_unused]] const bool dialogBoxInstalled = (SetDialogBoxFunction(RunDialogWindow), true);
} // namespace

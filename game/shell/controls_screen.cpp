// The Controls screen: every action with its two keyboard keys and its
// gamepad button. Choose a binding and press the key or button to bind to it;
// one that another action already uses (and may not share) is refused with
// a line saying which; "Reset to defaults" puts every binding back. It works
// by keyboard, gamepad, mouse and touch. The arrow keys, enter and escape
// move, choose and leave here whatever they are bound to, so that no set of
// bindings can lock a player out of this screen.
#include <algorithm>
#include <cmath>

#include "game/shell/globals.h"
#include "game/shell/my_app.h"
#include "input/input_device.h"

namespace {
constexpr int kWaitUpdates = 5 * 60;     // a binding waits five seconds for its key
constexpr int kNoteUpdates = 300;
constexpr int kColumns = 3;              // key 1, key 2, gamepad
constexpr int kResetRow = kBindActions;  // the row after the actions

// Keys that keep their meaning here whatever is bound, and keys the game keeps for itself.
constexpr int kFirstKeyboardKey = 4;     // after the mouse buttons

struct TableLayout {
    float size, left, columnX[kColumns], columnWidth, top, step;
};
TableLayout LayoutFor(float w, float h) {
    TableLayout l{};
    l.size = w < 560 ? 1.0f : 1.5f;
    l.left = std::max(12.0f, w / 2 - 300);
    l.columnWidth = std::min(120.0f, (w - 2 * l.left) * 0.2f);
    const float tableRight = w - l.left;
    for (int c = 0; c < kColumns; ++c) l.columnX[c] = tableRight - (kColumns - c) * (l.columnWidth + 8);
    l.top = 92;
    l.step = std::min(26.0f, (h - l.top - 76) / kBindActions);
    return l;
}

int& Cell(PlayerSettings& s, int action, int column) {
    KeyBinding& b = s.bindings[action];
    return column < 2 ? b.keys[column] : b.pad;
}

}  // namespace

int c_MyApp::p_ControlsScreen() {
    const float w = kp_Glimmer_jscrw, h = kp_Glimmer_jscrh;
    p_DrawScreenBackdrop(w, h);
    p_SetSize(3);
    p_SetCol(255, 230, 120);
    p_Text(w / 2, 36, String(" Controls"), 1.0f, 1.0f);

    const TableLayout l = LayoutFor(w, h);
    p_SetSize(l.size);
    p_SetCol(150, 200, 255);
    static const char* const kHeads[kColumns] = {"Key", "Key", "Gamepad"};
    for (int c = 0; c < kColumns; ++c) {
        p_Text(l.columnX[c] + l.columnWidth / 2, l.top - 24, String((std::string(" ") + kHeads[c]).c_str()), 1.0f, 1.0f);
    }

    // The table; a click on a cell chooses it and waits for its key.
    int clickedRow = -1, clickedColumn = 0;
    const bool press = m_pointerDown != 0 && m_clickLatch == 0;
    for (int a = 0; a <= kResetRow; ++a) {
        const float y = l.top + l.step * a + (a == kResetRow ? l.step * 0.5f : 0);
        if (a == kResetRow) {
            const bool rowHit = press && m_touchY[0] >= y - l.step / 2 && m_touchY[0] < y + l.step / 2;
            const float width = 200 * l.size / 1.5f;
            if (m_controlsRow == kResetRow) {
                p_SetCol(255, 255, 255, 0.25f);
                p_Rect(w / 2 - width / 2, y - l.step / 2, width, l.step);
            }
            p_SetSize(l.size);
            p_SetCol(255, 230, 120, 1);
            p_Text(w / 2, y, String(" Reset to defaults"), 1.0f, 1.0f);
            if (rowHit && m_touchX[0] >= w / 2 - width / 2 && m_touchX[0] < w / 2 + width / 2) clickedRow = a;
            break;
        }
        p_SetSize(l.size);
        p_SetCol(255, 255, 255, 1);
        p_Text(l.left, y, String((std::string(" ") + kp_settings_ActionTitle(a)).c_str()), 0.0f, 1.0f);
        // Each cell is a button of its drawn rectangle.
        const float cellTop = y - l.step / 2 + 1, cellHeight = l.step - 2;
        for (int c = 0; c < kColumns; ++c) {
            const bool chosen = a == m_controlsRow && c == m_controlsColumn;
            const bool waiting = chosen && m_bindWaiting > 0;
            p_SetCol(255, 255, 255, waiting ? 0.45f : chosen ? 0.25f : 0.08f);
            p_Rect(l.columnX[c], cellTop, l.columnWidth, cellHeight);
            p_SetSize(l.size);
            if (waiting) p_SetCol(255, 255, 100, 1); else p_SetCol(255, 230, 160, 1);
            const std::string name = waiting ? "press..." : kp_settings_KeyName(Cell(m_playerSettings, a, c));
            p_Text(l.columnX[c] + l.columnWidth / 2, y, String((" " + name).c_str()), 1.0f, 1.0f);
            if (press && m_touchX[0] >= l.columnX[c] && m_touchX[0] < l.columnX[c] + l.columnWidth &&
                m_touchY[0] >= cellTop && m_touchY[0] < cellTop + cellHeight) {
                clickedRow = a;
                clickedColumn = c;
            }
        }
    }

    // The note: what to press, or what was refused or changed.
    std::string note;
    if (m_bindWaiting > 0) {
        note = std::string(m_controlsColumn == 2 ? "Press a gamepad button for " : "Press a key for ") +
               kp_settings_ActionTitle(m_controlsRow) + " (a click cancels)";
    } else if (m_controlsNoteTimer > 0) {
        m_controlsNoteTimer -= 1;
        note = m_controlsNote.ToUtf8();
    } else {
        note = "Choose a binding and press confirm, then the new key";
    }
    p_SetSize(1.0f);
    p_SetCol(255, 230, 120, 1);
    p_Text(w / 2, h - 40, String((" " + note).c_str()), 1.0f, 1.0f);
    p_SetCol(200, 200, 220, 1);
    p_Text(w / 2, h - 22, String(" Arrows choose   Enter binds   Esc back   The left stick always moves"), 1.0f, 1.0f);
    if (m_controlsRow == kResetRow) {
        m_spokenSettings = "Controls: Reset to defaults. " + note;
    } else {
        m_spokenSettings = std::string("Controls: ") + kp_settings_ActionTitle(m_controlsRow) + ", " +
                           (m_controlsColumn == 2 ? "gamepad" : m_controlsColumn == 0 ? "key 1" : "key 2") + ": " +
                           kp_settings_KeyName(Cell(m_playerSettings, m_controlsRow, m_controlsColumn)) + ". " + note;
    }

    p_SetSize(1.5f);
    p_SetCol(255, 255, 255);
    const bool backClicked = p_Button(kImageIcons, 24, 24, kIconBack) == 1 && m_clickLatch == 0;
    p_ResetDraw();

    const auto say = [this](const std::string& text) {
        m_controlsNote = String(text.c_str());
        m_controlsNoteTimer = kNoteUpdates;
    };
    const auto reset = [&]() {
        const PlayerSettings defaults = kp_settings_Defaults(false);
        std::copy(std::begin(defaults.bindings), std::end(defaults.bindings), std::begin(m_playerSettings.bindings));
        p_SavePlayerSettings();
        say("Every binding is back to its default");
    };

    // Waiting for the key or button of the chosen binding.
    if (m_bindWaiting > 0) {
        m_bindWaiting -= 1;
        if (press || backClicked) {
            m_clickLatch = 1;
            m_bindWaiting = 0;
            say("Nothing changed");
            return 0;
        }
        const bool pad = m_controlsColumn == 2;
        const int first = pad ? kKeyJoyBase : kFirstKeyboardKey;
        const int last = pad ? kKeyJoyBase + kJoyButtonCount : kKeyJoyBase;
        int code = 0;
        for (int k = first; k < last && code == 0; ++k) {
            if (kp_input_KeyHit(k) > 0) code = k;
        }
        if (code == 0) {
            if (m_bindWaiting == 0) say("Nothing changed: no key came");
            return 0;
        }
        m_bindWaiting = 0;
        m_keyLatch = 1;
        const int conflict = kp_settings_ConflictOf(m_playerSettings, m_controlsRow, code);
        if (code == kKeyF10 || code == kKeyF11) {
            say(kp_settings_KeyName(code) + " is the game's own (" + (code == kKeyF11 ? "full screen" : "debug text") +
                "): choose another key");
        } else if (conflict >= 0) {
            say(kp_settings_KeyName(code) + " is already " + kp_settings_ActionTitle(conflict) +
                ": choose another, or rebind " + kp_settings_ActionTitle(conflict) + " first");
            p_PlaySFX(kSfxConfirm, 0.5f, kMenuVolume, 0);
        } else {
            KeyBinding& b = m_playerSettings.bindings[m_controlsRow];
            // The same key in the action's other slot moves here.
            if (!pad && b.keys[1 - m_controlsColumn] == code) b.keys[1 - m_controlsColumn] = b.keys[m_controlsColumn];
            Cell(m_playerSettings, m_controlsRow, m_controlsColumn) = code;
            p_SavePlayerSettings();
            say(std::string(kp_settings_ActionTitle(m_controlsRow)) + " is now " + kp_settings_KeyName(code));
            p_PlaySFX(kSfxConfirm, 1.2f, kMenuVolume, 0);
        }
        return 0;
    }

    const bool keys = m_keyLatch == 0;
    const auto hit = [&](int gameKey, int hostKey) { return keys && (p_PlayKey(gameKey) || kp_input_KeyHit(hostKey) > 0); };
    const auto move = [&](int row, int column, float rate) {
        m_keyLatch = 1;
        m_controlsRow = row;
        m_controlsColumn = column;
        p_PlaySFX(kSfxConfirm, rate, kMenuVolume, 0);
    };
    if (backClicked || hit(kGameKeyBack, kKeyEscape)) {
        p_LeaveSettingsScreen();
    } else if (clickedRow >= 0) {
        m_clickLatch = 1;
        m_controlsRow = clickedRow;
        m_controlsColumn = clickedColumn;
        if (clickedRow == kResetRow) reset(); else m_bindWaiting = kWaitUpdates;
        p_PlaySFX2(kSfxConfirm, kMenuVolume);
    } else if (hit(kGameKeyUp, kKeyArrowUp) && m_controlsRow > 0) {
        move(m_controlsRow - 1, m_controlsColumn, 0.8f);
    } else if (hit(kGameKeyDown, kKeyArrowDown) && m_controlsRow < kResetRow) {
        move(m_controlsRow + 1, m_controlsColumn, 1.2f);
    } else if (hit(kGameKeyLeft, kKeyArrowLeft) && m_controlsColumn > 0) {
        move(m_controlsRow, m_controlsColumn - 1, 0.8f);
    } else if (hit(kGameKeyRight, kKeyArrowRight) && m_controlsColumn < kColumns - 1) {
        move(m_controlsRow, m_controlsColumn + 1, 1.2f);
    } else if (hit(kGameKeyAction, kKeyEnter)) {
        m_keyLatch = 1;
        if (m_controlsRow == kResetRow) reset(); else m_bindWaiting = kWaitUpdates;
        p_PlaySFX2(kSfxConfirm, kMenuVolume);
    }
    return 0;
}

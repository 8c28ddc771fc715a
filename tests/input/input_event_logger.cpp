// Opens the real GLFW host window and prints every key and mouse event the
// host delivers, one line each, together with the input device's view of it
// right after the event. real_input_test.sh drives it with xdotool and checks
// the lines. Like the game, it ends with status 0 on the close key.
//
//   key <event> <code> down <0|1> hit <count>
//   char <character>
//   mouse <event> <button> <x> <y> down <0|1> hit <count> touch0 <0|1> <hits> pointer <x> <y> finger0 <x> <y>
#include <GLFW/glfw3.h>

#include <cstdio>
#include <cstdlib>

#include "host/glfw/game.h"
#include "input/input_device.h"

namespace {

// Records events in a real input device and prints them; every event is its
// own update, so hit counts read as they would in the update that follows.
class LoggingDelegate : public KpGameDelegate {
public:
    c_InputDevice* m_input = nullptr;

    void StartGame() override {
        gc_assign(m_input, (new c_InputDevice())->m_new());
        std::printf("start\n");
        std::fflush(stdout);
    }

    void KeyEvent(int event, int data) override {
        m_input->p_KeyEvent(event, data);
        if (event == kEventKeyChar) {
            std::printf("char %d\n", data);
        } else {
            std::printf("key %d %d down %d hit %d\n", event, data, m_input->p_KeyDown(data) ? 1 : 0,
                        m_input->p_KeyHit(data));
        }
        EndUpdate();
        if (event == kEventKeyDown && data == kKeyClose) std::exit(0);
    }

    void MouseEvent(int event, int data, float x, float y) override {
        m_input->p_MouseEvent(event, data, x, y);
        int code = data + 1;
        std::printf("mouse %d %d %g %g down %d hit %d touch0 %d %d pointer %g %g finger0 %g %g\n", event, data, x,
                    y, m_input->p_KeyDown(code) ? 1 : 0, m_input->p_KeyHit(code),
                    m_input->p_KeyDown(kKeyTouchBase) ? 1 : 0, m_input->p_KeyHit(kKeyTouchBase),
                    m_input->p_MouseX(), m_input->p_MouseY(), m_input->p_TouchX(0), m_input->p_TouchY(0));
        EndUpdate();
    }

    void mark() override { gc_mark_q(m_input); }

private:
    void EndUpdate() {
        m_input->p_EndUpdate();
        std::fflush(stdout);
    }
};

}  // namespace

int main() {
    if (!glfwInit()) {
        std::printf("no display\n");
        return 1;
    }
    KpGlfwGame* game = new KpGlfwGame();
    game->SetDelegate(new LoggingDelegate());
    game->Run();
    glfwTerminate();
    return 0;
}

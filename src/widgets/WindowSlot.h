#pragma once

#include <QPointer>

#include <utility>

namespace arvelo {

// At most one window of a class: show creates it when absent (running its load handler
// first), and shows it in front as the active window; unload closes and destroys it.
template<typename W>
class WindowSlot
{
public:
    W *get() const { return m_window && !m_window->isUnloaded() ? m_window.data() : nullptr; }
    bool isOpen() const { return get() != nullptr; }

    // The arguments are the constructor's, used only when the window is created.
    template<typename... Args>
    W &show(Args &&...args)
    {
        if (!isOpen()) {
            m_window = new W(std::forward<Args>(args)...);
            m_window->Form_Load();
        }
        // A new window takes the keyboard just as an open one brought to the front does.
        m_window->bringToFront();
        return *m_window;
    }

    void unload()
    {
        if (W *window = get())
            window->unload();
    }

private:
    QPointer<W> m_window;
};

// Gives a window class its one slot: `W::slot()`.
template<typename W>
class SingleWindow
{
public:
    static WindowSlot<W> &slot()
    {
        static WindowSlot<W> instance;
        return instance;
    }
};

} // namespace arvelo

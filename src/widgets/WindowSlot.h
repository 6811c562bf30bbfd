#pragma once

#include <QPointer>

#include <utility>

namespace arvelo {

// At most one window of a class: show creates it when absent (running its load handler
// first) and brings an open one to the front; unload closes and destroys it.
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
            m_window->show();
        } else {
            m_window->show();
            m_window->raise();
            m_window->activateWindow();
        }
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

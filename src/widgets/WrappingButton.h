#pragma once

#include <QPushButton>

namespace arvelo {

// A push button whose caption wraps at blanks instead of being cut off.
class WrappingButton : public QPushButton
{
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace arvelo

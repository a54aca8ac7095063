#pragma once
#include <QPushButton>

/// A push button in one of the shell's looks, sized by the scale factors.
class StyledButton : public QPushButton
{
    Q_OBJECT
public:
    enum Role
    {
        Page,  ///< checkable page tab of the top menu
        Menu,  ///< flat menu entry
        Title, ///< small square button of a title bar (minimise, maximise, close)
        Action ///< ordinary dialog or toolbar action
    };

    StyledButton(const QString& text, Role role, QWidget* parent = nullptr);
    Role role() const { return m_role; }

    /// The style sheet of a role; scaled sizes are filled in.
    static QString styleSheetFor(Role role);

private:
    Role m_role;
};

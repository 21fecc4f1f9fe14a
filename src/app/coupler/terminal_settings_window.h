#pragma once

#include "core/model/coupler_info.h"

#include <QDialog>

#include <optional>
#include <vector>

class QComboBox;
class QGridLayout;
class QPushButton;
class QWidget;

namespace busmason::app {

class AppContext;

/// The channels of one coupler terminal: each channel's variable name and direction and, on
/// analogue terminals, a selector of its configuration code. Channel q of the first half is shown
/// on the left, channel r + q on the right (r = half the channels, rounded up, so an odd count is
/// shown whole). Confirming gives the chosen codes; the coupler window stores them.
class TerminalSettingsWindow : public QDialog {
    Q_OBJECT

public:
    explicit TerminalSettingsWindow(AppContext& context, QWidget* parent = nullptr);

    /// Builds the channel controls for t afresh, captioned for its kind of terminal.
    void prepare(const model::terminal& t);
    /// The codes the selectors show, for channels 0, 1, ... of the channels that take one (the
    /// first eight of an analogue terminal); empty for a digital terminal.
    std::vector<int> selectedCodes() const;
    /// Prepares for t and shows the window modally; the codes chosen when confirmed, none when
    /// cancelled.
    std::optional<std::vector<int>> configure(const model::terminal& t);

private:
    AppContext& m_context;
    /// Holds every channel control; replaced at each preparation.
    QWidget* m_channels = nullptr;
    QGridLayout* m_grid = nullptr;
    std::vector<QComboBox*> m_selectors;
    QPushButton* m_confirm = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace busmason::app

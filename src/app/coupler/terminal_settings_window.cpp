#include "app/coupler/terminal_settings_window.h"

#include "app/shell/app_context.h"

#include "core/coupler/config_codes.h"
#include "core/coupler/terminal_row.h"
#include "core/model/node.h"
#include "core/translation/keys.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace busmason::app {

namespace {

const QString kInput = QStringLiteral("INPUT");
const QString kOutput = QStringLiteral("OUTPUT");

/// A read-only box just wide enough for text.
QLineEdit* readOnlyBox(const QString& text, const QString& objectName, QWidget* parent) {
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(objectName);
    box->setReadOnly(true);
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(text + "MM"));
    return box;
}

} // namespace

TerminalSettingsWindow::TerminalSettingsWindow(AppContext& context, QWidget* parent)
    : QDialog(parent), m_context(context) {
    setObjectName("TForm4");
    setWindowTitle("Digital IO");
    auto* layout = new QVBoxLayout(this);
    m_channels = new QWidget(this);
    layout->addWidget(m_channels);
    layout->addStretch();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_confirm = new QPushButton(context.tr(translation::kConfigura), this);
    m_confirm->setObjectName("Button2");
    m_confirm->setDefault(true);
    m_cancel = new QPushButton(context.tr(translation::kExit), this);
    m_cancel->setObjectName("Button1");
    buttons->addWidget(m_confirm);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    connect(m_confirm, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TerminalSettingsWindow::prepare(const model::terminal& t) {
    delete m_channels;
    m_selectors.clear();
    m_channels = new QWidget(this);
    m_channels->setObjectName("mainPanel");
    static_cast<QVBoxLayout*>(layout())->insertWidget(0, m_channels);
    m_grid = new QGridLayout(m_channels);
    m_grid->setHorizontalSpacing(8);
    m_grid->setColumnMinimumWidth(2, 24);

    const int count = std::min(static_cast<int>(t.channels.size()), model::kMaxTerminalChannels);
    const int rows = (count + 1) / 2;
    for (int channel = 0; channel < count; ++channel) {
        const model::io_mod& io = t.channels[static_cast<std::size_t>(channel)];
        const QString name = QString::fromStdString(io.Vname);
        const int row = channel % rows;
        const int column = channel < rows ? 0 : 3;
        const QString number = QString::number(channel);

        QLineEdit* nameBox = readOnlyBox(name, "nameBox" + number, m_channels);
        nameBox->setAccessibleName(name);
        m_grid->addWidget(nameBox, row, column);

        auto* panel = new QFrame(m_channels);
        panel->setObjectName("channelPanel" + number);
        panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
        auto* inside = new QHBoxLayout(panel);
        inside->setContentsMargins(5, 5, 5, 5);
        const QString direction = io.dir == 1 ? kOutput : kInput;
        QLineEdit* directionBox = readOnlyBox(direction, "directionBox" + number, panel);
        directionBox->setAccessibleName(name + " " + direction);
        inside->addWidget(directionBox);

        const auto offered = coupler::offeredCodes(t, channel);
        if (!offered.empty()) {
            auto* selector = new QComboBox(panel);
            selector->setObjectName("selector" + number);
            selector->setAccessibleName(name);
            for (const coupler::ConfigCode& code : offered) {
                selector->addItem(
                    QString::fromUtf8(code.text.data(), static_cast<qsizetype>(code.text.size())),
                    code.code);
            }
            const int current = selector->findData(io.Config);
            selector->setCurrentIndex(current >= 0 ? current : 0);
            inside->addWidget(selector);
            m_selectors.push_back(selector);
        }
        m_grid->addWidget(panel, row, column + 1);
    }
    setWindowTitle(m_context.tr(coupler::isAnalogue(t.ID) ? translation::kIoAnalogici
                                                          : translation::kIoDigitali));
    m_confirm->setFocus();
    adjustSize();
}

std::vector<int> TerminalSettingsWindow::selectedCodes() const {
    std::vector<int> codes;
    codes.reserve(m_selectors.size());
    for (const QComboBox* selector : m_selectors) {
        codes.push_back(selector->currentData().toInt());
    }
    return codes;
}

std::optional<std::vector<int>> TerminalSettingsWindow::configure(const model::terminal& t) {
    prepare(t);
    if (m_context.dialogs().exec(*this) != QDialog::Accepted) {
        return std::nullopt;
    }
    return selectedCodes();
}

} // namespace busmason::app

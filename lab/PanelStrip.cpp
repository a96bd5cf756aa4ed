#include "PanelStrip.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace diffrascope::lab {
namespace {

constexpr int kCaptionGap = 2; // between a panel and its label

} // namespace

QString RoleText(optics::Role role) {
    switch (role) {
    case optics::Role::Intrafocal:
        return PanelStrip::tr("intrafocal");
    case optics::Role::Extrafocal:
        return PanelStrip::tr("extrafocal");
    case optics::Role::Focus:
        break;
    }
    return PanelStrip::tr("focus");
}

PanelImage::PanelImage(QWidget *parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void PanelImage::Show(std::shared_ptr<const optics::Result> result, std::size_t index) {
    result_ = std::move(result);
    const optics::PanelResult &panel = result_->panels[index];
    image_ = QImage(panel.grey.data(), panel.side, panel.side, panel.side, QImage::Format_Grayscale8);
    // One panel pixel on one device pixel, whatever the screen's scale.
    image_.setDevicePixelRatio(devicePixelRatioF());
    setFixedSize(image_.deviceIndependentSize().toSize());
    update();
}

QSize PanelImage::sizeHint() const { return image_.isNull() ? QSize() : image_.deviceIndependentSize().toSize(); }

void PanelImage::paintEvent(QPaintEvent * /*event*/) {
    QPainter painter(this);
    if (image_.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QPoint(0, 0), image_);
}

PanelStrip::PanelStrip(QWidget *parent) : QWidget(parent) {
    row_ = new QHBoxLayout(this);
    row_->setSpacing(kPanelGap);
    row_->setContentsMargins(0, 0, 0, 0);
    row_->addStretch();
}

void PanelStrip::AddColumn() {
    Column column;
    auto *layout = new QVBoxLayout;
    layout->setSpacing(kCaptionGap);
    column.image = new PanelImage(this);
    column.role = new QLabel(this);
    column.caption = new QLabel(this);
    column.field = new QLabel(this);
    for (QLabel *label : {column.role, column.caption, column.field}) {
        label->setAlignment(Qt::AlignHCenter);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    layout->addWidget(column.image, 0, Qt::AlignHCenter);
    layout->addWidget(column.role);
    layout->addWidget(column.caption);
    layout->addWidget(column.field);
    layout->addStretch();
    row_->insertLayout(row_->count() - 1, layout);
    columns_.push_back(column);
    images_.push_back(column.image);
}

void PanelStrip::Show(const std::shared_ptr<const optics::Result> &result) {
    while (columns_.size() < result->panels.size()) {
        AddColumn();
    }
    for (std::size_t k = 0; k < columns_.size(); ++k) {
        const bool used = k < result->panels.size();
        Column &column = columns_[k];
        for (QWidget *widget : {static_cast<QWidget *>(column.image), static_cast<QWidget *>(column.role),
                                static_cast<QWidget *>(column.caption), static_cast<QWidget *>(column.field)}) {
            widget->setVisible(used);
        }
        if (!used) {
            continue;
        }
        const optics::PanelResult &panel = result->panels[k];
        column.image->Show(result, k);
        column.role->setText(RoleText(panel.focus.role));
        column.caption->setText(QString::fromStdString(panel.focus.defocus));
        column.field->setText(tr("field %1 λ/D").arg(panel.width, 0, 'f', 1));
    }
}

std::vector<QRect> PanelStrip::PanelAreas() const {
    std::vector<QRect> areas;
    for (const Column &column : columns_) {
        if (column.image->isVisible()) {
            areas.push_back(QRect(column.image->mapTo(this, QPoint(0, 0)), column.image->size()));
        }
    }
    return areas;
}

} // namespace diffrascope::lab

#pragma once
// The star test's panels side by side, each drawn pixel for pixel from the
// library's grey levels (no scaling, no smoothing) over its label: the
// panel's role and its defocus as the renderer's sheet names them, and the
// field it shows.

#include <QImage>
#include <QWidget>

#include <memory>
#include <vector>

#include "Engine.h"

class QLabel;
class QHBoxLayout;

namespace diffrascope::lab {

// One panel's grey levels at one device pixel each.
class PanelImage : public QWidget {
    Q_OBJECT

  public:
    explicit PanelImage(QWidget *parent = nullptr);
    // Shows the panel; the result keeps its grey levels alive.
    void Show(std::shared_ptr<const optics::Result> result, std::size_t index);
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    std::shared_ptr<const optics::Result> result_;
    QImage image_; // over the result's grey levels, not a copy
};

class PanelStrip : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kPanelGap = 8; // pixels between the panels' columns

    explicit PanelStrip(QWidget *parent = nullptr);
    void Show(const std::shared_ptr<const optics::Result> &result);
    // The panels' pixel areas, in this widget's coordinates, left to right.
    std::vector<QRect> PanelAreas() const;
    const std::vector<PanelImage *> &Images() const { return images_; }

  private:
    struct Column {
        PanelImage *image = nullptr;
        QLabel *role = nullptr;
        QLabel *caption = nullptr;
        QLabel *field = nullptr;
    };
    void AddColumn();

    QHBoxLayout *row_ = nullptr;
    std::vector<PanelImage *> images_;
    std::vector<Column> columns_;
};

// The role as the user's language names it.
QString RoleText(optics::Role role);

} // namespace diffrascope::lab

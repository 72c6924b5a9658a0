#pragma once

#include <QWidget>

#include <vector>

namespace kolvar {

enum class Bevel { None, Lowered, Raised };
enum class Align { None, Top, Bottom, Client };

// A panel in the manner of the register's forms: an outer and an inner bevel, and children
// docked to its top, its bottom or the rest of its area in the order they were docked. Docked
// children keep their own height; a child without docking keeps its place.
class Panel : public QWidget
{
    Q_OBJECT
public:
    explicit Panel(const QString& name, QWidget* parent);

    void setBevels(Bevel outer, Bevel inner, int width = 1);
    [[nodiscard]] Bevel outerBevel() const { return m_outer; }
    [[nodiscard]] Bevel innerBevel() const { return m_inner; }
    [[nodiscard]] int bevelWidth() const { return m_bevelWidth; }

    void dock(QWidget* child, Align align);
    // Lays the docked children out again, e.g. after one of them changed its height.
    void realign();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    struct Docked
    {
        QWidget* widget;
        Align align;
    };

    Bevel m_outer = Bevel::None;
    Bevel m_inner = Bevel::None;
    int m_bevelWidth = 1;
    std::vector<Docked> m_docked;
};

} // namespace kolvar

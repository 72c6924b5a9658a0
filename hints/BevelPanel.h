#pragma once

#include <QWidget>

namespace kolvar::hints {

// A panel framed by a lowered outer and a lowered inner bevel; its one child fills what the
// bevels leave.
class BevelPanel : public QWidget
{
    Q_OBJECT
public:
    BevelPanel(const QString& name, int bevelWidth, QWidget* parent);

    void setClient(QWidget* client);
    [[nodiscard]] int bevelWidth() const { return m_bevelWidth; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_bevelWidth;
};

} // namespace kolvar::hints

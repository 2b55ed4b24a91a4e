// The air-flow controls: the edit box, the area, direction and gap set
// selectors, and how the record decoded by each compose sets them.

#include "app/MainForm.h"

#include "app/UpDown.h"
#include "gfx/FastIMG.h"

#include <QCheckBox>
#include <QLabel>

namespace zq {

void TForm1::setAirflowControlsEnabled(bool enabled)
{
    for (QWidget* w : std::initializer_list<QWidget*>{AreaUD, DirUD, Label3, Label4, GapUD, Label5})
        w->setEnabled(enabled);
}

int TForm1::currentArea() const
{
    return AreaUD->position();
}

void TForm1::airflowControlsUpdate()
{
    const AirflowRecord& record = state_.scene.airflow;
    AreaUD->setMaximum(record.n);
    Label3->setText(QStringLiteral("Area %1").arg(AreaUD->position() + 1));
    // The selector ranges 0..11: a record's gap set 12 or above shows as 11.
    GapUD->setPosition(record.gapSet);
    Label5->setText(QStringLiteral("Gap Type %1").arg(GapUD->position() + 1));

    // The control states, in this order.
    const bool editing = AirflowCheck1->isChecked();
    if (editing) {
        FastIMG1->setEnabled(false);
        CheckBox2->setChecked(false);
        CheckBox3->setChecked(false);
        setAirflowControlsEnabled(true);
    } else {
        setAirflowControlsEnabled(false);
        if (state_.level.levelIndex < 5)
            FastIMG1->setEnabled(true);
    }
    if (editing && record.shared) {
        setAirflowControlsEnabled(false);
        FastIMG1->setEnabled(false);
        CheckBox2->setChecked(false);
        CheckBox3->setChecked(false);
    }
    if (record.n == 0) {
        AreaUD->setEnabled(false);
        Label3->setEnabled(false);
    }
}

void TForm1::AirflowCheck1Click()
{
    if (AirflowCheck1->isChecked()) {
        FastIMG1->setEnabled(false);
        CheckBox2->setChecked(false);
        CheckBox3->setChecked(false);
        setAirflowControlsEnabled(true);
    } else {
        FastIMG1->setEnabled(true);
        setAirflowControlsEnabled(false);
    }
    Refresh();
}

void TForm1::AreaUDClick()
{
    const int area = AreaUD->position();
    DirUD->setPosition(state_.scene.airflow.direction[std::size_t(area)]);
    Refresh();
}

void TForm1::DirUDClick()
{
    AirflowRecord& record = state_.scene.airflow;
    EditStep step(document_, QStringLiteral("Direction"));
    if (DirUD->isEnabled())
        record.direction[std::size_t(AreaUD->position())] = DirUD->position();
    // The record keeps its own gap set: only the gap set control changes it.
    encodeAirflow(step.image(), record, record.gapSet);
    Refresh();
}

void TForm1::GapUDClick()
{
    EditStep step(document_, QStringLiteral("Gap Set"));
    Label5->setText(QStringLiteral("Gap Type %1").arg(GapUD->position() + 1));
    encodeAirflow(step.image(), state_.scene.airflow, GapUD->position());
    Refresh();
}

} // namespace zq

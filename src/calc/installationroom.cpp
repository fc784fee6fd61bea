#include "installationroom.h"

#include "numberformat.h"

#include <cmath>

namespace installationroom {

namespace {

constexpr int kMaxSteps = 21;
constexpr int kSettledWithin = 20;
constexpr double kStepTolerance = 0.0001;

// Reads a count typed into a bends or grilles edit: a whole number, not negative.
bool parseCount(const QString &text, int *value)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok || v < 0)
        return false;
    *value = v;
    return true;
}

// Reads the inputs of one duct; false when any of them cannot be read.  A
// negative length is refused as well: it would make the duct formula take the
// root of a negative number.
bool ductEquivalentLengthFromTexts(const DuctTexts &t, double *leq)
{
    double length = 0.0;
    int b90 = 0, b45 = 0, grilles = 0;
    if (!numfmt::parse(t.length, &length) || length < 0.0 || !parseCount(t.bends90, &b90)
        || !parseCount(t.bends45, &b45) || !parseCount(t.grilles, &grilles))
        return false;
    *leq = ductEquivalentLength(length, b90, b45, grilles);
    return true;
}

// A selection bound to a SmallInt field; nothing selected while the field is empty.
std::optional<int> selection(const Record &r, const QString &field)
{
    if (r.isNull(field))
        return std::nullopt;
    return r.integer(field);
}

class Evaluation {
public:
    explicit Evaluation(const PageInput &in) : input(in)
    {
        state.record = in.record;
        state.duct1DisplayEnabled = in.duct1DisplayEnabled;
        state.duct2DisplayEnabled = in.duct2DisplayEnabled;
    }

    PageState run(bool fullEvaluation);

private:
    // One pass; returns true when it forced a selection that differs from the
    // current one, which the caller answers with a further pass.
    bool pass(bool fullEvaluation);
    bool enablingRules();
    void openingsAndDucts();
    void write(const QString &field, const QVariant &value);
    bool force(const QString &field, int value);

    const PageInput &input;
    PageState state;

    // Read once per pass.
    double output = 0.0;
    bool small = true;
    bool volumeRead = false;
    double volume = 0.0;
};

void Evaluation::write(const QString &field, const QVariant &value)
{
    state.record.setValue(field, value);
    const QString name = state.record.schema().field(state.record.schema().indexOf(field)).name;
    if (!state.writtenFields.contains(name))
        state.writtenFields << name;
}

bool Evaluation::force(const QString &field, int value)
{
    if (selection(state.record, field) == value)
        return false;
    write(field, value);
    state.forcedSelections.emplace_back(field, value);
    return true;
}

PageState Evaluation::run(bool fullEvaluation)
{
    // A forced selection is a click on it, and a click on either choice runs the
    // evaluation; with the forced value in place the rules force nothing new, so
    // this ends after at most one pass per forced choice.
    bool again = pass(fullEvaluation);
    for (int i = 0; again && i < 3; ++i)
        again = pass(true);
    return state;
}

bool Evaluation::pass(bool fullEvaluation)
{
    ++state.passes;
    Record &r = state.record;

    // An output that is not a number counts as 0.
    if (!numfmt::parse(input.outputText, &output))
        output = 0.0;
    small = output <= kSmallOutputLimit + kTolerance;
    volumeRead = numfmt::parse(input.volumeText, &volume);
    state.volumeMissing = !volumeRead;

    if (fullEvaluation) {
        // At least 1 m³ of room per kW.  A volume not yet entered leaves the
        // result as it was.
        if (volumeRead)
            write(u"Hrsz1"_qs, volume + kTolerance >= output);

        if (small && r.boolean(u"Hrnrvorhanden"_qs)) {
            double neighbour = 0.0;
            const bool twoBy150 = selection(r, u"Hrnrloeff"_qs) == 0;
            const bool both = volumeRead && numfmt::parse(input.neighbourVolumeText, &neighbour);
            write(u"Hrnrsz1"_qs, both && twoBy150 && volume + neighbour + kTolerance >= output);
        }
    }

    if (enablingRules())
        return true;

    if (fullEvaluation)
        openingsAndDucts();
    return false;
}

bool Evaluation::enablingRules()
{
    const Record &r = state.record;
    PageControls &c = state.controls;
    c = PageControls{};

    const bool neighbourChecked = r.boolean(u"Hrnrvorhanden"_qs);
    const bool hrsz1 = r.boolean(u"Hrsz1"_qs);

    // Whether the room alone holds 1 m³ per kW, asked only above 50 kW.  While
    // the volume is not a number yet the answer is open: nothing is forced and
    // the choices stay free, so that typing the output before the volume of a
    // new record neither interrupts the user nor overwrites the choices.
    bool roomOk = true;
    bool roomDecided = true;
    if (!small) {
        roomDecided = volumeRead;
        roomOk = !volumeRead || volume + kTolerance >= output;
    }

    c.NRaktiv.enabled = small;
    c.hrnrpanel.visible = small && neighbourChecked;
    c.hrnrzuluft.enabled = small && neighbourChecked;
    c.arnrsz1checkbox.enabled = !hrsz1;
    c.arsz1freibox.enabled =
        !hrsz1 && !(neighbourChecked && c.arnrsz1checkbox.enabled && r.boolean(u"Hrnrsz1"_qs));

    bool forced = false;
    if (!small && !roomOk)
        forced = force(u"Hrllanzahl"_qs, 2) || forced;
    c.hrllanzahl.enabled = small || roomOk;
    c.hrloeffs.visible = small || roomOk;

    if (!small && roomDecided && !hrsz1)
        forced = force(u"Hrll"_qs, 0) || forced;
    c.hrll.enabled = small || roomOk;

    const bool twoOpenings = selection(r, u"Hrllanzahl"_qs) == 2;
    c.hrllname2.visible = twoOpenings;
    c.hrlls2.visible = twoOpenings;
    c.hrllS.enabled = state.duct1DisplayEnabled;
    c.hrlls2.enabled = state.duct2DisplayEnabled;

    const std::optional<int> variant = selection(r, u"Hrll"_qs);
    state.notebookPage = variant == 1 ? 1 : 0;
    return forced;
}

void Evaluation::openingsAndDucts()
{
    const Record &r = state.record;
    const bool twoOpenings = selection(r, u"Hrllanzahl"_qs) == 2;

    if (volumeRead) {
        const auto [single, each] = openingSizes(output);
        state.singleOpeningText = numfmt::general(single);
        state.twoOpeningsText = numfmt::general(each);
    } else {
        state.singleOpeningText.clear();
        state.twoOpeningsText.clear();
    }
    // The read-only edits hand their text to the fields.
    double v = 0.0;
    write(u"HrloeffS"_qs, numfmt::parse(state.singleOpeningText, &v) ? QVariant(v) : QVariant());
    write(u"Hrloeffs2"_qs, numfmt::parse(state.twoOpeningsText, &v) ? QVariant(v) : QVariant());

    const bool throughNeighbour = state.controls.hrnrzuluft.enabled && r.boolean(u"Hrnrzuluft"_qs);
    write(u"Hrsz1insfreie"_qs, twoOpenings && selection(r, u"Hrll"_qs) == 0 && !throughNeighbour);

    // Ducts, whatever supply variant is selected: each sized for the opening
    // it sits behind.
    state.duct1 = DuctSizing{};
    state.duct2 = DuctSizing{};
    const double a0 = state.record.number(twoOpenings ? u"Hrloeffs2"_qs : u"HrloeffS"_qs);
    if (!volumeRead || !(a0 > 0.0))
        return;

    double leq = 0.0;
    if (ductEquivalentLengthFromTexts(input.duct1, &leq)) {
        state.duct1 = sizeVentilationDuct(a0, leq);
        write(u"HrllS"_qs, numfmt::parse(state.duct1.text, &v) ? QVariant(v) : QVariant());
        if (state.duct1.settled)
            state.duct1DisplayEnabled = true;
    }
    if (twoOpenings && ductEquivalentLengthFromTexts(input.duct2, &leq)) {
        const std::optional<double> previous =
            state.duct1.computed ? std::optional<double>(state.duct1.area) : std::nullopt;
        state.duct2 = sizeVentilationDuct(a0, leq, previous);
        write(u"Hrlls2"_qs, numfmt::parse(state.duct2.text, &v) ? QVariant(v) : QVariant());
        if (state.duct2.settled)
            state.duct2DisplayEnabled = true;
    }
    state.controls.hrllS.enabled = state.duct1DisplayEnabled;
    state.controls.hrlls2.enabled = state.duct2DisplayEnabled;
}

QString countText(const Record &r, const QString &field)
{
    return r.isNull(field) ? QString() : QString::number(r.integer(field));
}

QString numberText(const Record &r, const QString &field)
{
    return r.displayText(field);
}

} // namespace

PageInput PageInput::fromRecord(const Record &record)
{
    PageInput in;
    in.record = record;
    in.outputText = numberText(record, u"Hrleistung"_qs);
    in.volumeText = numberText(record, u"Hrvolumen"_qs);
    in.neighbourVolumeText = numberText(record, u"Hrnrvolumen"_qs);
    in.duct1 = {numberText(record, u"Hrlllaenge"_qs), countText(record, u"Hrllu90"_qs),
                countText(record, u"Hrllu45"_qs), countText(record, u"Hrllgitter"_qs)};
    in.duct2 = {numberText(record, u"Hrlllaenge2"_qs), countText(record, u"Hrllu902"_qs),
                countText(record, u"Hrllu452"_qs), countText(record, u"Hrllgitter2"_qs)};
    return in;
}

PageState evaluate(const PageInput &input)
{
    return Evaluation(input).run(true);
}

PageState enablenr(const PageInput &input)
{
    return Evaluation(input).run(false);
}

std::pair<double, double> openingSizes(double output)
{
    if (output <= kSmallOutputLimit + kTolerance)
        return {150.0, 75.0};
    const double single = 150.0 + 2.0 * (output - kSmallOutputLimit);
    return {single, single / 2.0};
}

double ductEquivalentLength(double length, int bends90, int bends45, int grilles)
{
    return length + 3.0 * bends90 + 1.5 * bends45 + 0.5 * grilles;
}

DuctSizing sizeVentilationDuct(double openingSize, double equivalentLength, std::optional<double> previous)
{
    DuctSizing d;
    d.computed = true;
    d.equivalentLength = equivalentLength;
    double last = previous.value_or(0.0);
    bool havePrevious = previous.has_value();
    for (int step = 1; step <= kMaxSteps; ++step) {
        const double a = havePrevious
            ? openingSize * std::sqrt(1.0 + 15.8 * equivalentLength / std::pow(last, 0.7))
            : 1.0;
        const double change = std::abs(a - last);
        last = a;
        havePrevious = true;
        d.steps = step;
        if (change < kStepTolerance) {
            d.settled = step <= kSettledWithin;
            break;
        }
    }
    d.area = last;
    d.text = numfmt::fixed(last, 1);
    return d;
}

std::span<const NamedControl> namedControls()
{
    static constexpr NamedControl controls[] = {
        {u"NRaktiv", &PageControls::NRaktiv},
        {u"hrnrpanel", &PageControls::hrnrpanel},
        {u"hrnrzuluft", &PageControls::hrnrzuluft},
        {u"arnrsz1checkbox", &PageControls::arnrsz1checkbox},
        {u"arsz1freibox", &PageControls::arsz1freibox},
        {u"hrllanzahl", &PageControls::hrllanzahl},
        {u"hrloeffs", &PageControls::hrloeffs},
        {u"hrll", &PageControls::hrll},
        {u"hrllname2", &PageControls::hrllname2},
        {u"hrllS", &PageControls::hrllS},
        {u"hrlls2", &PageControls::hrlls2},
    };
    return controls;
}

} // namespace installationroom

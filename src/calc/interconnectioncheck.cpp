#include "interconnectioncheck.h"

#include "numberformat.h"
#include "roommodel.h"

#include <algorithm>

namespace {

constexpr double kTol = 0.001;
constexpr double kLimit = 35.0;
constexpr double kLimitExisting = 50.0;  // with existing-installation protection
constexpr int RA = 0, R1 = 1, R2 = 2;

const QString kChainAdvice = u"Der Luftbedarf von 1m³ pro installierter Heizleistung für Schutzziel 1 muß durch den "
                             "Aufstellraum oder unmittelbare Nachbarräume über eine Öffnung von 2x150 cm² "
                             "bereitgestellt werden. "_qs;

class Check {
public:
    explicit Check(const Record &input) : rec(input) {}

    InterconnectionResult run();

private:
    void plausibility();
    void goal1SingleRooms();
    void largestAppliance();
    void gatherSpareVolume();
    double gatherSurplus(int t);
    void carryOverChain();
    void carryStep(int a);
    bool coversDeficit(int a);
    void creditableOutputs();
    void writeResults();

    Record rec;
    MessageList msg;
    RoomSlots rooms{};
    bool proceed = true, goal1 = true, goal2 = true;
    double unsupplied = 0.0;
    double totalOutput = 0.0, outputOutsideRA = 0.0, totalVolume = 0.0;
    double carry = 0.0;
};

InterconnectionResult Check::run()
{
    const double okqn1 = rec.number(u"Okqn1"_qs);
    unsupplied = rec.boolean(u"Okll"_qs) ? okqn1 - rec.number(u"OkllP"_qs) : okqn1;
    if (unsupplied < 0.0)
        unsupplied = 0.0;
    rooms = loadRoomSlots(rec);

    plausibility();
    goal1SingleRooms();
    if (proceed)
        largestAppliance();
    if (proceed)
        gatherSpareVolume();
    carryOverChain();
    rec.setNumber(u"Vortrag"_qs, carry);
    rec.setNumber(u"Qlansum"_qs, 0.0);
    creditableOutputs();
    writeResults();

    msg.addLine(QString());
    msg.addLine(u"Ergebnis:"_qs);
    msg.addLine(goal1 ? u"Schutzziel 1: erreicht"_qs : u"Schutzziel 1: NICHT erreicht!"_qs);
    msg.addLine(goal2 ? u"Schutzziel 2: erreicht"_qs : u"Schutzziel 2: NICHT erreicht!"_qs);
    return {rec, msg};
}

void Check::plausibility()
{
    const int okraum1 = rec.integer(u"Okraum1"_qs);

    // An open fireplace as the only appliance leaves no room for other outputs.
    if (okraum1 == 1) {
        for (const RoomSlot &s : rooms) {
            if (s.output > kTol) {
                msg.addProblem(u"Fehler"_qs,
                               u"Wenn offene Kamin iat als alleinige Feuerstätte angegeben ist, darf keine weitere "
                               "Feuerstättenleistung angegeben sein!"_qs);
                goal2 = false;
                break;
            }
        }
    }

    auto isOpening = [](const RoomSlot &s) { return s.openingType == 1 || s.openingType == 2; };
    if ((rooms[R1].interconnectionMark && !isOpening(rooms[R1]))
        || (rooms[R2].interconnectionMark && !isOpening(rooms[R2]))) {
        msg.addProblem(u"Achtung"_qs,
                       u"Verbundräume müssen eine Öffnung von 1 x 150 cm² oder 2 x 150 cm² besitzen!"_qs);
        proceed = false;
        goal2 = false;
    }

    for (int n = 1; n <= 7; ++n) {
        if (rooms[size_t(n)].openingType > 0 && rooms[size_t(n)].connectedWith <= 0) {
            msg.addProblem(u"Fehler"_qs, u"Kein verbundener Raum angegeben bei R"_qs + QString::number(n));
            proceed = false;
            goal2 = false;
        }
    }

    for (int i = 0; i < 8; ++i) {
        totalOutput += rooms[size_t(i)].output;
        totalVolume += rooms[size_t(i)].volume;
        if (i > 0)
            outputOutsideRA += rooms[size_t(i)].output;
    }

    if (totalOutput > kLimitExisting + kTol) {
        msg.addProblem(u"PROBLEM!"_qs,
                       u"Nach TRGI  dürfen nur Heizgeräte/ Feuerstätten mit einer Gesamtleistung von 35 kW bzw. "
                       "50 kW (Bestandsschutz) am Ofenring teilnehmen!"_qs);
        proceed = goal1 = goal2 = false;
    } else if (totalOutput > kLimit + kTol && !rec.boolean(u"Bschutz"_qs)) {
        msg.addProblem(u"PROBLEM!"_qs,
                       u"Nach TRGI '86/96 bzw. 2008 dürfen nur Heizgeräte/ Feuerstätten mit einer Gesamtleistung "
                       "von 35 kW am Ofenring teilnehmen! Bei Bestandsschutz sind Leistungen über 35 kW bis 50 kW "
                       "zulässig."_qs);
        proceed = goal1 = goal2 = false;
    }

    // The output limit is tested without the fireplace's unsupplied output,
    // everything after it with it.
    if (okraum1 > 0)
        totalOutput += unsupplied;

    if (totalVolume + kTol < 4.0 * totalOutput) {
        msg.addProblem(u"PROBLEM!"_qs,
                       u"In der Wohnung müssen pro kW installierter Heizleistung mindestens 4 m³ Luft zur "
                       "Verfügung stehen. Vermindern Sie ggf. Die Leistungen der Heizgeräte!"_qs);
        proceed = false;
        goal2 = false;
    }
}

void Check::goal1SingleRooms()
{
    for (int n = 1; n <= 7; ++n) {
        const RoomSlot &s = rooms[size_t(n)];
        if (!s.interconnectionMark && s.openingType != 1 && s.volume + kTol < s.output) {
            proceed = false;
            goal1 = false;
        }
    }
    if (!goal1)
        msg.addProblem(u"FEHLER!"_qs,
                       u"Schutzziel 1: In den Verbrennungslufträumen muß pro kW Nennleistung mindestens 1 m³ Luft "
                       "zur Verfügung stehen, wenn keine Lüftungsöffnung von 2 x 150 cm² vorhanden ist.!"_qs);
}

void Check::largestAppliance()
{
    // The whole fictitious output of the fireplace counts as standing in RA.
    const double inRA = rec.number(u"Okqn1"_qs) + rooms[RA].output;
    for (int n = 1; n <= 7; ++n)
        if (inRA + kTol < rooms[size_t(n)].output)
            proceed = false;
    if (!proceed)
        msg.addProblem(u"FEHLER!"_qs,
                       u"Im Aufstellraum RA muß die Verbrennungsstätte mit der größten Leistung stehen!"_qs);
}

void Check::gatherSpareVolume()
{
    for (int t = 0; t <= 2; ++t)
        rooms[size_t(t)].surplusVolume =
            (t == 0 || rooms[size_t(t)].interconnectionMark) ? gatherSurplus(t) : 0.0;
}

double Check::gatherSurplus(int t)
{
    double sum = 0.0;
    for (int j = 0; j < 8; ++j) {
        const RoomSlot &s = rooms[size_t(j)];
        if (s.connectedWith != t + 1 || s.openingType != 1 || s.interconnectionMark)
            continue;
        const double d = s.volume - s.output;
        if (d >= 0.0) {
            sum += d;
        } else if (rooms[size_t(t)].volume + kTol >= -d) {
            // The shortfall is taken from room t; each one is compared with the
            // whole volume of t on its own.
            sum += d;
        } else {
            msg.addProblem(u"PROBLEM!"_qs, u"Schutzziel 1: Der zusätzliche Luftbedarf von "_qs + slotLabel(j)
                                               + u" kann nicht vom Raum "_qs + slotLabel(t) + u" gedeckt werden!"_qs);
            proceed = false;
        }
    }
    return sum;
}

void Check::carryStep(int a)
{
    const RoomSlot &s = rooms[size_t(a)];
    carry = carry + s.surplusVolume + s.volume - s.output;
    // A positive balance passed on never exceeds the volume of the room it
    // passes through; a negative one is passed on whole.
    if (carry > kTol)
        carry = std::min(s.volume, carry);
}

bool Check::coversDeficit(int a)
{
    if (carry + kTol >= 0.0)
        return true;
    if (rooms[size_t(a)].volume + kTol >= -carry)
        return true;
    proceed = false;
    return false;
}

void Check::carryOverChain()
{
    carry = 0.0;
    const RoomSlot &r1 = rooms[R1];
    const RoomSlot &r2 = rooms[R2];
    if (r2.interconnectionMark && r2.openingType == 1) {
        carryStep(R2);
        const int first = r2.connectedWith == 2 ? R1 : RA;
        const int second = first == R1 ? RA : R1;
        if (!coversDeficit(first))
            msg.addProblem(u"PROBLEM!"_qs, slotLabel(first) + u" oder Nachbarraum ist zu klein für Schutzziel 1"_qs);
        carryStep(first);
        if (!coversDeficit(second))
            msg.addProblem(u"PROBLEM!"_qs, slotLabel(second) + u" oder Nachbarraum ist zu klein für Schutzziel 1"_qs);
        carryStep(second);
        if (carry + kTol < 0.0) {
            msg.addProblem(u"PROBLEM!"_qs, u"Das Volumen in RA und R1, R2 und direkten Nebenräumen reicht nicht für "
                                           "Schutziel 1!  "_qs + kChainAdvice);
            goal1 = false;
            proceed = false;
        }
    } else if (r1.interconnectionMark && r1.openingType == 1) {
        carryStep(RA);
        if (!coversDeficit(R1)) {
            msg.addProblem(u"PROBLEM!"_qs, u"RA, R1 u. Nachbarräume sind zu klein für Schutzziel 1!  "_qs + kChainAdvice);
            goal1 = false;
        }
        carryStep(R1);
        if (carry + kTol < 0.0) {
            msg.addProblem(u"PROBLEM!"_qs, u"Das Volumen in RA, R1 und evtl. verbundenen direkten Nachbarräumen reicht "
                                           "nicht für Schutziel 1! "_qs + kChainAdvice);
            goal1 = false;
            proceed = false;
        }
    } else {
        carryStep(RA);
        if (carry + kTol < 0.0) {
            msg.addProblem(u"PROBLEM!"_qs,
                           u"Das Volumen in AR und direkt verbundenen Räumen reicht nicht für Schutziel 1! "_qs
                               + kChainAdvice);
            goal1 = false;
        }
    }
}

void Check::creditableOutputs()
{
    double qlansum = 0.0;
    for (int n = 0; n < 8; ++n) {
        RoomSlot &s = rooms[size_t(n)];
        const RoomFieldNames &f = roomFields(n);

        double rest = 0.0;
        if (s.outsideOpening) {
            rest = s.volume - 4.0 * s.output;
            if (n == RA)
                rest -= 4.0 * unsupplied;
        }
        s.restVolume = rest;
        rec.setNumber(f.restVolume, rest);

        double credit = 0.0;
        if (n == RA) {
            credit = s.outsideOpening ? s.volume / 4.0 : 0.0;
        } else if (const auto k = curveClassOf(s.openingType); k && s.connectedWith > 0) {
            if (rest + kTol > 0.0) {
                if (s.outsideOpening) {
                    credit = rechne_kurve(*k, rest, msg);
                } else {
                    credit = 0.0;
                    if (!s.interconnectionMark)
                        msg.addProblem(u"PROBLEM!"_qs, u"R"_qs + QString::number(n)
                                                           + u" hat keine Türe/Fenster ins Freie"_qs);
                }
            } else if (s.openingType == 1 || s.openingType == 2) {
                credit = s.volume / 4.0 - s.output;
            } else {
                msg.addProblem(u"PROBLEM!"_qs, u"Türöffnung 1 x 150 cm² erforderlich in R"_qs + QString::number(n));
                credit = -s.output;
                goal2 = false;
            }
        }
        credit = numfmt::roundOneDecimalEven(credit);
        s.creditableOutput = credit;
        qlansum += credit;
        rec.setNumber(f.creditableOutput, credit);
    }
    rec.setNumber(u"Qlansum"_qs, qlansum);
}

void Check::writeResults()
{
    rec.setNumber(u"Psum"_qs, totalOutput);
    rec.setNumber(u"Vsum"_qs, totalVolume);
    rec.setNumber(u"Pzusatz"_qs, outputOutsideRA);
    rec.setNumber(u"Okunversorgt"_qs, unsupplied);
    if (goal2)
        goal2 = rooms[RA].output + unsupplied <= rec.number(u"Qlansum"_qs) + kTol;
    rec.setBoolean(u"Sz1"_qs, goal1);
    rec.setBoolean(u"Sz2"_qs, goal2);
    rec.setBoolean(u"Gerechnet"_qs, true);
}

} // namespace

InterconnectionResult runInterconnectionCheck(const Record &input)
{
    return Check(input).run();
}

const QStringList &interconnectionResultFields()
{
    static const QStringList fields = [] {
        QStringList l;
        for (int i = 0; i < 8; ++i)
            l << roomFields(i).restVolume << roomFields(i).creditableOutput;
        l << u"Vortrag"_qs << u"Qlansum"_qs << u"Psum"_qs << u"Vsum"_qs << u"Pzusatz"_qs << u"Okunversorgt"_qs
          << u"Sz1"_qs << u"Sz2"_qs << u"Gerechnet"_qs;
        return l;
    }();
    return fields;
}

// Drives the record store through long random sequences of user operations and
// compares it after every step with a small in-memory model of what must be
// stored and of what is pending in the current record.

#include "numberformat.h"
#include "recordstore.h"

#include <QDir>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace {

const QString kSave = u"Daten wurden geändert. Jetzt speichern?"_qs;
const QString kDelete = u"Datensatz löschen?"_qs;

// The text fields the sequences write, with their sizes.
struct TextField {
    QString name;
    int size;
};
const QList<TextField> kTexts = {
    {u"A_Name"_qs, 30}, {u"A_gebteil"_qs, 30}, {u"A_strasse"_qs, 30}, {u"A_Plz"_qs, 7},
    {u"A_Ort"_qs, 30},  {u"E_Name"_qs, 30},    {u"E_strasse"_qs, 30}, {u"E_ort"_qs, 30},
};
const QString kNumber = u"RAV"_qs;

// Values chosen to collide: case variants, umlauts, empty, a trailing blank,
// texts longer than the field.
const QStringList kPool = {
    u"Meier"_qs, u"meier"_qs, u"MEIER"_qs, u"Müller"_qs, u"Mueller"_qs, u"Özdemir"_qs, u"Abel"_qs,
    u"Zander "_qs, u""_qs, u"76133"_qs, u"7613"_qs, u"01067"_qs, u"123456789"_qs, u"Karlsruhe"_qs,
    u"Ämter"_qs, u"Sehr langer Ortsname der über dreißig Zeichen hinausgeht"_qs,
};

struct Row {
    QMap<QString, QString> text;     // empty fields read ""
    std::optional<double> number;    // RAV; empty when unset
    bool operator==(const Row &o) const { return text == o.text && number == o.number; }
};

Row defaultsOfNewRecord()
{
    Row r;
    r.number = 0.0;  // room volumes are 0 in a new record
    return r;
}

QStringList orderFields(const QString &order)
{
    if (order == RecordStore::ortIndex)
        return {u"A_Plz"_qs, u"A_Ort"_qs, u"A_strasse"_qs, u"A_gebteil"_qs, u"E_Name"_qs};
    if (order == RecordStore::nameIndex)
        return {u"E_Name"_qs, u"E_ort"_qs, u"E_strasse"_qs};
    return {};
}

// Case-sensitive ascending comparison of two rows in an order; an empty field
// comes first.  Zero when equal in every field of the order.
int compareInOrder(const Row &a, const Row &b, const QStringList &fields)
{
    for (const QString &f : fields) {
        const QString x = a.text.value(f), y = b.text.value(f);
        if (x.isEmpty() != y.isEmpty())
            return x.isEmpty() ? -1 : 1;
        const int c = QString::compare(x, y, Qt::CaseSensitive);
        if (c != 0)
            return c;
    }
    return 0;
}

// What the store must hold: the stored rows by Lfd, the view (order,
// restriction, position) and the pending buffer of the current record.
struct Model {
    enum class St { Browse, Edit, Insert };

    std::map<int, Row> stored;
    int nextKey = 1;
    QString order;
    int restrictKey = 0;
    bool confirm = true;
    QVector<int> keys;  // the view; a new unsaved record has key 0
    int pos = -1;
    St st = St::Browse;
    Row pending;
    int keyBeforeInsert = 0;

    // The scripted answer to the next question, and the questions asked.
    PromptButton answer = PromptButton::Yes;
    QStringList asked;

    int curKey() const { return pos >= 0 ? keys[pos] : 0; }

    QVector<int> view() const
    {
        QVector<int> v;
        for (const auto &[k, r] : stored)
            if (restrictKey == 0 || restrictKey == k)
                v << k;
        const QStringList fields = orderFields(order);
        std::stable_sort(v.begin(), v.end(),
                         [&](int a, int b) { return compareInOrder(stored.at(a), stored.at(b), fields) < 0; });
        return v;
    }

    void reload(int keep)
    {
        keys = view();
        const int at = keep != 0 ? int(keys.indexOf(keep)) : -1;
        pos = at >= 0 ? at : (keys.isEmpty() ? -1 : 0);
    }

    Row current() const
    {
        if (st != St::Browse)
            return pending;
        return pos >= 0 ? stored.at(curKey()) : Row();
    }

    bool modified() const { return st == St::Insert || (st == St::Edit && !(pending == stored.at(curKey()))); }

    void cancel()
    {
        if (st == St::Insert) {
            keys.remove(pos);
            const int back = int(keys.indexOf(keyBeforeInsert));
            pos = back >= 0 ? back : (keys.isEmpty() ? -1 : qMin(pos, int(keys.size()) - 1));
        }
        st = St::Browse;
    }

    // A saved new record takes its place in the order; under a restriction to
    // another record it leaves the view and the view's record is current again.
    void save()
    {
        int key = curKey();
        if (st == St::Insert) {
            key = nextKey++;
            keys[pos] = key;
        }
        stored[key] = pending;
        st = St::Browse;
        reload(key);
    }

    bool post()
    {
        if (st == St::Browse)
            return true;
        if (!modified()) {
            st = St::Browse;
            return true;
        }
        if (confirm) {
            asked << kSave;
            if (answer == PromptButton::No) {
                cancel();
                return false;
            }
            if (answer != PromptButton::Yes)
                return false;
        }
        save();
        return true;
    }

    bool finish()
    {
        if (st == St::Browse)
            return true;
        if (modified())
            return post();
        cancel();
        return true;
    }

    bool insert()
    {
        if (!finish())
            return false;
        keyBeforeInsert = curKey();
        const int p = pos < 0 ? 0 : pos;
        keys.insert(p, 0);
        pos = p;
        pending = defaultsOfNewRecord();
        st = St::Insert;
        return true;
    }

    bool edit()
    {
        if (st != St::Browse)
            return true;
        if (keys.isEmpty())
            return insert();
        pending = stored.at(curKey());
        st = St::Edit;
        return true;
    }

    bool setText(const TextField &f, const QString &v)
    {
        if (!edit())
            return false;
        pending.text[f.name] = v.left(f.size);
        if (pending.text[f.name].isEmpty())
            pending.text.remove(f.name);
        return true;
    }

    bool setNumber(std::optional<double> v, bool valid, const QString &typed)
    {
        if (!edit())
            return false;
        if (valid)
            pending.number = v;
        else
            asked << u"'%1' ist kein gültiger Fließkommawert für Feld '%2'"_qs.arg(typed, kNumber);
        return valid;
    }

    bool del()
    {
        if (keys.isEmpty())
            return false;
        asked << kDelete;
        if (answer != PromptButton::Ok)
            return false;
        if (st == St::Insert) {
            cancel();
            return true;
        }
        stored.erase(curKey());
        keys.remove(pos);
        pos = keys.isEmpty() ? -1 : qMin(pos, int(keys.size()) - 1);
        st = St::Browse;
        return true;
    }

    bool moveTo(int row)
    {
        if (!finish())
            return false;
        if (!keys.isEmpty())
            pos = row < 0 ? int(keys.size()) - 1 : row;
        return true;
    }

    bool step(int delta)
    {
        if (!finish())
            return false;
        if (pos >= 0 && pos + delta >= 0 && pos + delta < keys.size())
            pos += delta;
        return true;
    }

    bool goToRow(int row)
    {
        if (keys.isEmpty())
            return false;
        row = qBound(0, row, int(keys.size()) - 1);
        if (row == pos)
            return true;
        const int key = keys[row];
        if (!finish())
            return false;
        const int at = int(keys.indexOf(key));
        if (at < 0)
            return false;
        pos = at;
        return true;
    }

    bool setOrder(const QString &name)
    {
        if (!finish())
            return false;
        order = name;
        reload(curKey());
        return true;
    }

    bool restrictTo(int key)
    {
        if (!finish())
            return false;
        restrictKey = key;
        reload(key);
        return true;
    }

    bool lift()
    {
        if (!finish())
            return false;
        if (restrictKey == 0)
            return true;
        const int before = curKey();
        restrictKey = 0;
        reload(before);
        return true;
    }

    // A new program run: pending changes are gone, the saved records remain.
    void reopen()
    {
        st = St::Browse;
        order.clear();
        restrictKey = 0;
        confirm = true;
        reload(0);
    }
};

Row rowOf(const Record &r)
{
    Row out;
    for (const TextField &f : kTexts)
        if (!r.text(f.name).isEmpty())
            out.text[f.name] = r.text(f.name);
    if (!r.isNull(kNumber))
        out.number = r.number(kNumber);
    return out;
}

QString describe(const Row &r)
{
    QStringList parts;
    for (auto it = r.text.cbegin(); it != r.text.cend(); ++it)
        parts << it.key() + u'=' + u'"' + it.value() + u'"';
    parts << kNumber + u'=' + (r.number ? QString::number(*r.number) : u"leer"_qs);
    return parts.join(u", "_qs);
}

QString stateName(StoreState s)
{
    switch (s) {
    case StoreState::Inactive: return u"inactive"_qs;
    case StoreState::Browse: return u"browse"_qs;
    case StoreState::Edit: return u"edit"_qs;
    case StoreState::Insert: return u"insert"_qs;
    }
    return {};
}

StoreState storeState(Model::St s)
{
    switch (s) {
    case Model::St::Browse: return StoreState::Browse;
    case Model::St::Edit: return StoreState::Edit;
    case Model::St::Insert: return StoreState::Insert;
    }
    return StoreState::Inactive;
}

QString keyList(const QVector<int> &keys)
{
    QStringList s;
    for (int k : keys)
        s << QString::number(k);
    return s.join(u' ');
}

// Every row of the table file, read through a connection of its own.
std::optional<std::map<int, Row>> readFile(const QString &path)
{
    std::optional<std::map<int, Row>> out;
    const QString conn = u"model-probe"_qs;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_qs, conn);
        db.setDatabaseName(path);
        if (db.open()) {
            QStringList cols{u"Lfd"_qs};
            for (const TextField &f : kTexts)
                cols << f.name;
            cols << kNumber;
            QSqlQuery q(db);
            if (q.exec(u"SELECT %1 FROM kq"_qs.arg(cols.join(u", "_qs)))) {
                out.emplace();
                while (q.next()) {
                    Row r;
                    for (int i = 0; i < kTexts.size(); ++i)
                        if (!q.value(i + 1).toString().isEmpty())
                            r.text[kTexts[i].name] = q.value(i + 1).toString();
                    if (!q.value(kTexts.size() + 1).isNull())
                        r.number = q.value(kTexts.size() + 1).toDouble();
                    (*out)[q.value(0).toInt()] = r;
                }
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(conn);
    return out;
}

} // namespace

class TestRecordStoreModel : public QObject {
    Q_OBJECT

private slots:
    void randomSequences_data();
    void randomSequences();

private:
    // Empty when the store agrees with the model, else what differs.  `full`
    // also reads the table file past the store.
    QString compare(const RecordStore &s, const Model &m, bool full);
};

QString TestRecordStoreModel::compare(const RecordStore &s, const Model &m, bool full)
{
    if (s.state() != storeState(m.st))
        return u"state %1, expected %2"_qs.arg(stateName(s.state()), stateName(storeState(m.st)));
    if (s.order() != m.order)
        return u"order \"%1\", expected \"%2\""_qs.arg(s.order(), m.order);
    if (s.keys() != m.keys)
        return u"rows [%1], expected [%2]"_qs.arg(keyList(s.keys()), keyList(m.keys));
    if (s.currentRow() != m.pos)
        return u"current row %1, expected %2"_qs.arg(s.currentRow()).arg(m.pos);
    if (s.current().integer(u"Lfd"_qs) != m.curKey())
        return u"current Lfd %1, expected %2"_qs.arg(s.current().integer(u"Lfd"_qs)).arg(m.curKey());
    const Row shown = rowOf(s.current());
    if (!(shown == m.current()))
        return u"current record {%1}, expected {%2}"_qs.arg(describe(shown), describe(m.current()));
    if (s.isModified() != (m.st != Model::St::Browse && m.modified()))
        return u"modified flag %1"_qs.arg(s.isModified());

    // The rows of the view are sorted by the fields of the order, ascending.
    if (m.st != Model::St::Insert) {
        const QStringList fields = orderFields(m.order);
        for (int r = 1; r < s.rowCount(); ++r) {
            const int c = compareInOrder(m.stored.at(s.keys()[r - 1]), m.stored.at(s.keys()[r]), fields);
            if (c > 0 || (c == 0 && s.keys()[r - 1] > s.keys()[r]))
                return u"rows %1 and %2 out of order \"%3\""_qs.arg(r - 1).arg(r).arg(m.order);
        }
    }
    // What an overview shows for every row: the pending buffer for the
    // current row, the stored values for the others.
    const QVector<Record> shownRows = s.rows(0, s.rowCount());
    if (shownRows.size() != m.keys.size())
        return u"overview has %1 rows, expected %2"_qs.arg(shownRows.size()).arg(m.keys.size());
    for (int r = 0; r < shownRows.size(); ++r) {
        const Row expected = r == m.pos ? m.current() : m.stored.at(m.keys[r]);
        if (!(rowOf(shownRows[r]) == expected))
            return u"overview row %1 {%2}, expected {%3}"_qs.arg(r).arg(describe(rowOf(shownRows[r])), describe(expected));
    }

    if (!full)
        return {};

    // What is in the file, read past the store.
    const auto file = readFile(s.filePath());
    if (!file)
        return u"the table file cannot be read"_qs;
    if (file->size() != m.stored.size())
        return u"%1 rows in the file, expected %2"_qs.arg(file->size()).arg(m.stored.size());
    for (const auto &[k, r] : m.stored) {
        const auto it = file->find(k);
        if (it == file->end())
            return u"Lfd %1 missing in the file"_qs.arg(k);
        if (!(it->second == r))
            return u"Lfd %1 in the file {%2}, expected {%3}"_qs.arg(k).arg(describe(it->second), describe(r));
    }
    return {};
}

void TestRecordStoreModel::randomSequences_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("steps");
    for (quint32 seed : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u})
        QTest::addRow("seed %u", seed) << seed << 500;
}

void TestRecordStoreModel::randomSequences()
{
    QFETCH(quint32, seed);
    QFETCH(int, steps);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString oldCwd = QDir::currentPath();
    QDir::setCurrent(dir.path());
    auto restoreCwd = qScopeGuard([&] { QDir::setCurrent(oldCwd); });

    ScriptedPrompter prompter;
    auto store = std::make_unique<RecordStore>();
    store->setPrompter(&prompter);
    QVERIFY(store->open());
    Model m;
    m.reload(0);

    QRandomGenerator rng(seed);
    auto pick = [&rng](int n) { return int(rng.bounded(n)); };
    const QList<PromptButton> saveAnswers{PromptButton::Yes, PromptButton::Yes, PromptButton::No, PromptButton::Cancel};
    QStringList trail;

    for (int step = 0; step < steps; ++step) {
        prompter.clearAsked();
        m.asked.clear();
        const int kind = pick(100);
        m.answer = kind < 90 ? saveAnswers[pick(saveAnswers.size())]
                             : (pick(2) ? PromptButton::Ok : PromptButton::Cancel);
        const PromptButton answer = m.answer;
        QString op;
        bool expected = true;
        std::function<bool()> run;

        if (kind < 12) {
            op = u"insert"_qs;
            expected = m.insert();
            run = [&] { return store->insert(); };
        } else if (kind < 38) {
            const TextField f = kTexts[pick(kTexts.size())];
            const QString v = kPool[pick(kPool.size())];
            op = u"set %1 \"%2\""_qs.arg(f.name, v);
            expected = m.setText(f, v);
            // Field names are matched without regard to case.
            const QString name = pick(4) == 0 ? f.name.toLower() : f.name;
            run = [&store, name, v] { return store->setFieldValue(name, v); };
        } else if (kind < 46) {
            const int variant = pick(4);
            const double d = pick(2000) / 4.0;
            if (variant == 0) {
                op = u"set %1 %2"_qs.arg(kNumber).arg(d);
                expected = m.setNumber(d, true, {});
                run = [&store, d] { return store->setFieldValue(kNumber, d); };
            } else {
                const QString typed = variant == 1 ? numfmt::general(d) : variant == 2 ? u"12,x"_qs : u""_qs;
                op = u"type %1 \"%2\""_qs.arg(kNumber, typed);
                expected = m.setNumber(variant == 1 ? std::optional<double>(d) : std::nullopt, variant != 2, typed);
                run = [&store, typed] { return store->setFieldText(kNumber, typed); };
            }
        } else if (kind < 54) {
            op = u"post"_qs;
            expected = m.post();
            run = [&] { return store->post(); };
        } else if (kind < 58) {
            op = u"cancel"_qs;
            m.cancel();
            run = [&] {
                store->cancel();
                return true;
            };
        } else if (kind < 62) {
            op = u"finish editing"_qs;
            expected = m.finish();
            run = [&] { return store->finishEditing(); };
        } else if (kind < 74) {
            switch (pick(4)) {
            case 0:
                op = u"first"_qs;
                expected = m.moveTo(0);
                run = [&] { return store->first(); };
                break;
            case 1:
                op = u"last"_qs;
                expected = m.moveTo(-1);
                run = [&] { return store->last(); };
                break;
            case 2:
                op = u"next"_qs;
                expected = m.step(1);
                run = [&] { return store->next(); };
                break;
            default:
                op = u"prior"_qs;
                expected = m.step(-1);
                run = [&] { return store->prior(); };
                break;
            }
        } else if (kind < 80) {
            const int row = pick(int(m.keys.size()) + 2) - 1;
            op = u"go to row %1"_qs.arg(row);
            expected = m.goToRow(row);
            run = [&store, row] { return store->goToRow(row); };
        } else if (kind < 84) {
            const QString order = QStringList{QString(), RecordStore::ortIndex, RecordStore::nameIndex}[pick(3)];
            op = u"order \"%1\""_qs.arg(order);
            expected = m.setOrder(order);
            const QString spelled = pick(4) == 0 ? order.toUpper() : order;
            run = [&store, spelled] { return store->setOrder(spelled); };
        } else if (kind < 87) {
            // Mostly a record that exists, sometimes one that was deleted or never was.
            const int key = m.stored.empty() || pick(4) == 0 ? pick(m.nextKey + 1) + 1
                                                              : std::next(m.stored.begin(), pick(int(m.stored.size())))->first;
            op = u"restrict to Lfd %1"_qs.arg(key);
            expected = m.restrictTo(key);
            run = [&store, key] { return store->restrictToKey(key); };
        } else if (kind < 89) {
            op = u"lift restriction"_qs;
            expected = m.lift();
            run = [&] { return store->liftRestriction(); };
        } else if (kind < 90) {
            op = u"reopen"_qs;
            m.reopen();
            run = [&] {
                store.reset();
                store = std::make_unique<RecordStore>();
                store->setPrompter(&prompter);
                return store->open();
            };
        } else if (kind < 95) {
            op = u"delete"_qs;
            expected = m.del();
            run = [&] { return store->deleteCurrent(); };
        } else {
            const bool on = pick(2);
            op = u"confirmation %1"_qs.arg(on ? u"on"_qs : u"off"_qs);
            m.confirm = on;
            run = [&store, on] {
                store->setConfirmChanges(on);
                return true;
            };
        }

        for (int i = 0; i < m.asked.size(); ++i)
            prompter.pushAnswer(answer);
        const QString answerName = answer == PromptButton::Yes ? u"&Ja"_qs
            : answer == PromptButton::No                       ? u"&Nein"_qs
            : answer == PromptButton::Ok                       ? u"OK"_qs
                                                               : u"Abbrechen"_qs;
        trail << u"%1: %2%3"_qs.arg(step).arg(op, m.asked.isEmpty() ? QString() : u" -> "_qs + answerName);
        if (trail.size() > 25)
            trail.removeFirst();

        const bool got = run();
        QString diff;
        if (got != expected)
            diff = u"returned %1, expected %2"_qs.arg(got).arg(expected);
        else if (prompter.asked() != m.asked)
            diff = u"asked [%1], expected [%2]"_qs.arg(prompter.asked().join(u" | "_qs), m.asked.join(u" | "_qs));
        else
            for (int i = 0; i < m.asked.size() && diff.isEmpty(); ++i) {
                const PromptButtons buttons = m.asked[i] == kSave   ? PromptButton::Yes | PromptButton::No | PromptButton::Cancel
                                              : m.asked[i] == kDelete ? PromptButton::Ok | PromptButton::Cancel
                                                                      : PromptButtons(PromptButton::Ok);
                if (prompter.offered()[i] != buttons)
                    diff = u"wrong buttons with \"%1\""_qs.arg(m.asked[i]);
            }
        if (diff.isEmpty())
            diff = compare(*store, m, step % 10 == 9 || op == u"reopen"_qs);
        if (!diff.isEmpty())
            QFAIL(qPrintable(u"seed %1, after step %2\n  %3\nlast steps:\n  %4"_qs.arg(seed).arg(step).arg(diff,
                                                                                                   trail.join(u"\n  "_qs))));
    }

    // Everything saved survives a new run of the program.
    store.reset();
    m.reopen();
    store = std::make_unique<RecordStore>();
    store->setPrompter(&prompter);
    QVERIFY(store->open());
    const QString diff = compare(*store, m, true);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
    QVERIFY(!m.stored.empty());
}

QTEST_GUILESS_MAIN(TestRecordStoreModel)
#include "test_recordstore_model.moc"

#include "results/notes_store.h"

#include "results/panel_rules.h"

namespace results {

namespace {
const QString kNotes = QStringLiteral("NOTES");
} // namespace

NotesStore::NotesStore(dao::Database& db, const QString& lockPath) : lock_(lockPath) {
    notes_ = db.OpenTable(kNotes);
    notes_->setIndex(QStringLiteral("PRIMARY"));
}

NotesStore::~NotesStore() {
    close();
}

bool NotesStore::seek(const QString& file, const QString& sequence) {
    notes_->Seek(QStringLiteral("="), {file, sequence});
    return !notes_->NoMatch();
}

void NotesStore::cancel() {
    if (editing_) lock_.unlock(file_, sequence_);
    editing_ = false;
}

std::optional<QString> NotesStore::storedNote(const QString& file, const QString& sequence) {
    if (seek(file, sequence) && !notes_->isNull(kNotes)) return notes_->text(kNotes);
    return std::nullopt;
}

std::optional<int> NotesStore::noteLength(const QString& file, const QString& sequence) {
    cancel();
    if (!notes_) return std::nullopt;
    const locks::RowLockFile::Result lock = lock_.tryLock(file, sequence);
    if (lock == locks::RowLockFile::Result::Busy) return std::nullopt;
    std::optional<int> n;
    try {
        n = seek(file, sequence) ? trimmedNoteLength(notes_->value(kNotes)) : std::optional<int>(0);
    } catch (const dao::DaoError&) {
        n.reset();
    }
    if (lock == locks::RowLockFile::Result::Locked) lock_.unlock(file, sequence);
    return n;
}

NotesStore::Opened NotesStore::open(const QString& file, const QString& sequence) {
    cancel();
    file_.clear();
    sequence_.clear();
    opened_.reset();
    Opened o;
    if (!notes_) {
        o.error = QStringLiteral("The notes are closed.");
        return o;
    }
    QString lockProblem;
    const locks::RowLockFile::Result lock = lock_.tryLock(file, sequence, &lockProblem);
    if (lock == locks::RowLockFile::Result::Busy) {
        o.result = OpenResult::Busy;
        return o;
    }
    try {
        o.text = storedNote(file, sequence);
    } catch (const dao::DaoError& e) {
        if (lock == locks::RowLockFile::Result::Locked) lock_.unlock(file, sequence);
        o.error = e.message();
        return o;
    }
    if (lock == locks::RowLockFile::Result::Failed) {
        o.result = OpenResult::ReadOnly;
        o.error = lockProblem;
        return o;
    }
    file_ = file;
    sequence_ = sequence;
    opened_ = o.text;
    editing_ = true;
    o.result = OpenResult::Opened;
    return o;
}

NotesStore::WriteResult NotesStore::write(QString& text) {
    if (!notes_ || file_.isNull()) {
        throw dao::DaoError(QString(), QStringLiteral("save the note in"),
                            QStringLiteral("no note was opened"));
    }
    if (!editing_ || !lock_.stillAtPath()) {
        editing_ = false;
        if (lock_.tryLock(file_, sequence_) != locks::RowLockFile::Result::Locked) return WriteResult::Busy;
        editing_ = true;
        // Without the lock someone else may have written the note: theirs is not replaced unseen.
        const std::optional<QString> now = storedNote(file_, sequence_);
        if (now != opened_) {
            opened_ = now;
            return WriteResult::Changed;
        }
    }
    if (text.isEmpty()) text = QStringLiteral(" ");
    if (seek(file_, sequence_)) {
        notes_->Edit();
    } else {
        // Records loaded before their notes row existed get it on their first note.
        notes_->AddNew();
        notes_->setValue(QStringLiteral("FILE"), file_);
        notes_->setValue(QStringLiteral("SEQUENCE"), sequence_);
    }
    notes_->setValue(kNotes, text);
    try {
        notes_->Update();
    } catch (...) {
        try {
            notes_->CancelUpdate();
        } catch (const dao::DaoError&) {
            // The update's failure is the one to report; a cancel that fails leaves only the edit
            // buffer, which the next Edit or AddNew starts afresh.
        }
        throw;
    }
    opened_ = text;
    cancel();
    return WriteResult::Written;
}

void NotesStore::close() {
    cancel();
    if (notes_) notes_->Close();
    notes_.reset();
    lock_.close();
}

} // namespace results

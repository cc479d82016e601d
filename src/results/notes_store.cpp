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

std::optional<int> NotesStore::noteLength(const QString& file, const QString& sequence) {
    cancel();
    if (!notes_) return std::nullopt;
    if (lock_.tryLock(file, sequence) != RowLockFile::Result::Locked) return std::nullopt;
    std::optional<int> n;
    try {
        n = seek(file, sequence) ? trimmedNoteLength(notes_->value(kNotes)) : std::optional<int>(0);
    } catch (const dao::DaoError&) {
        n.reset();
    }
    lock_.unlock(file, sequence);
    return n;
}

NotesStore::Opened NotesStore::open(const QString& file, const QString& sequence) {
    cancel();
    Opened o;
    if (!notes_) {
        o.error = QStringLiteral("The notes are closed.");
        return o;
    }
    switch (lock_.tryLock(file, sequence, &o.error)) {
    case RowLockFile::Result::Busy:
        o.result = OpenResult::Busy;
        return o;
    case RowLockFile::Result::Failed:
        return o;
    case RowLockFile::Result::Locked:
        break;
    }
    try {
        if (seek(file, sequence) && !notes_->isNull(kNotes)) o.text = notes_->text(kNotes);
    } catch (const dao::DaoError& e) {
        lock_.unlock(file, sequence);
        o.error = e.message();
        return o;
    }
    file_ = file;
    sequence_ = sequence;
    editing_ = true;
    o.result = OpenResult::Opened;
    return o;
}

NotesStore::WriteResult NotesStore::write(QString& text) {
    if (!notes_ || file_.isNull()) {
        throw dao::DaoError(QString(), QStringLiteral("save the note in"),
                            QStringLiteral("no note was opened"));
    }
    if (!editing_) {
        if (lock_.tryLock(file_, sequence_) != RowLockFile::Result::Locked) return WriteResult::Busy;
        editing_ = true;
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
        }
        throw;
    }
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

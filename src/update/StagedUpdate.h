#pragma once
// An update reaches the stick in two phases, so that a stick that fills up, is pulled or
// whose program is ended part-way holds either its earlier files whole or the new ones
// whole. Every file is first written below a hidden staging folder in the stick's root;
// the stick is flushed once and every staged file is read back from the device against
// the CRC-32 of what was written. Only then a commit record naming every move is put down
// (written under a temporary name, flushed, renamed into place: whole or absent), the
// files are moved over their targets (autorun.inf and the icon last, as the caller orders
// them), the moves are flushed, and the record and the staging folder are removed.
//
// Files of the stick that the update does not name are never touched. Whatever ends a
// run before the record exists leaves the earlier files as they were; a record left by a
// run that ended during the moves is completed by recover() the next time the stick is
// taken into use (every staged file was verified before the record was written).

#include "platform/files/StickSession.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace norvane {

// The staging folder and the commit record in the stick's root.
inline const QString kStagingFolder = QStringLiteral(".norvane-update");
inline const QString kCommitRecord = QStringLiteral(".norvane-update.commit");

// The text of a commit record for these targets (names below the root), and back; a
// record that is cut short, malformed or names anything outside the stick (or inside the
// staging folder) reads as nothing.
QByteArray commitRecordText(const QStringList& targets);
std::optional<QStringList> parseCommitRecord(const QByteArray& text);
// A temporary file the stick writer leaves behind when its program is ended mid-write.
bool isWriterTemporaryName(const QString& name);

// What recover() did.
struct Recovery {
    int completed = 0;      // files moved into place from a leftover commit record
    bool discarded = false; // a leftover staging folder (or a broken record) was removed
    int strays = 0;         // temporary files of earlier runs removed
    Failure status = {};
    bool didSomething() const { return completed > 0 || discarded || strays > 0; }
};

class StagedUpdate {
public:
    explicit StagedUpdate(platform::StickSession& session) : m_session(session) {}

    // The name a target is staged under, and the target of a staged name (other names as
    // they are).
    static QString staged(const QString& target);
    static QString targetOf(const QString& name);

    // Makes the staging folder. Refused (naming it) when a file or a link has its name.
    Failure prepare();
    // Flushes the stick once, then reads every staged target's file back from the device
    // and compares it with what the writer wrote; the first that differs is named in a
    // StickDamaged failure.
    Failure verify(const QStringList& targets);
    // Puts the staged targets into place in the given order. A target whose file in place
    // has the same bytes is left as it is, time stamp and all. Before the record is written
    // every target is checked: a folder, a link or anything but a file at the name or on
    // its way refuses the commit with nothing changed. *recorded tells whether the record
    // was put down, so that a failure after it is completed by recover().
    Failure commit(const QStringList& targets, bool* recorded = nullptr);
    // Removes the staging folder after a failure before the commit; nothing else changes.
    void discard();

    // Completes a leftover commit record, or removes a leftover staging folder without
    // one; with sweepFolders also the writer's temporary files in the root and in those
    // folders. Never looks anywhere else on the stick.
    static Recovery recover(platform::StickSession& session, std::optional<QStringList> sweepFolders = {});
    // Removes the writer's temporary files left in these folders (the root: the empty
    // name) by a program that was ended mid-write; how many.
    static int sweep(platform::StickSession& session, QStringList folders);

private:
    Failure placeable(const QString& target);

    platform::StickSession& m_session;
};

} // namespace norvane

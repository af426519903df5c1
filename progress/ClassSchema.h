#pragma once

#include <QString>
#include <vector>

class QSqlDatabase;

// One column of a journal table that the class server carries, under the same name.
struct ClassColumn
{
    const char *name;
    const char *serverType;
};

// A journal table copied to the server. Its rows there carry the class, the seat, the journal
// file's own id and the local row id (unique together), then the columns, then when the seat
// sent them by its own clock (sent_at) and when the server took them by its clock
// (received_at): a seat whose clock is wrong is put right by the difference.
struct ClassTable
{
    const char *name;
    // The problem a row belongs to: it is sent once that problem is over (finished, or
    // abandoned for the next one), so what the server holds is never changed afterwards.
    const char *problemColumn;
    std::vector<ClassColumn> columns;
};

// The class server's schema. A new journal column the server should carry is one line in
// tables() and a numbered step in ClassSchema.cpp that adds it on the server.
namespace ClassSchema {

// The schema version this build needs on the server.
int version();
const std::vector<ClassTable> &tables();
// The role a teacher puts seat users in; the schema's owner grants it what sending needs.
inline constexpr const char *seatGroup = "sumsprout_seat";

// What a connection found on the server.
struct State
{
    // The schema is at version() or later: rows can be sent.
    bool ready = false;
    // This user may read the class's rows: the teacher's view can be offered.
    bool canRead = false;
    // The version found (0: no schema yet).
    int found = 0;
    // Why the schema could not be looked at or brought up to date; empty when it could.
    QString error;
};

// Reads the server's schema version and, where this user may create tables (the teacher),
// brings it up to date and renews the seats' grants, under a lock so that two teachers'
// machines never migrate at once.
State prepare(QSqlDatabase &db);

} // namespace ClassSchema

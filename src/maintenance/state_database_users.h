// Those who keep the state database open while user data are written into it: the list form, whose
// recordsets may hold a read open (which keeps the restore from committing) and whose grids and
// panel would go on showing what was there before. The application lets go of them before the
// writes and brings them back afterwards, showing what was written.
#pragma once

namespace maintenance {

class StateDatabaseUsers {
public:
    virtual ~StateDatabaseUsers() = default;
    // Closes every recordset and connection held on the state database.
    virtual void releaseStateDatabase() = 0;
    // Opens again what releaseStateDatabase closed; reports its own failures and never throws.
    virtual void resumeStateDatabase() noexcept = 0;
};

} // namespace maintenance

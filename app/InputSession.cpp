#include "app/InputSession.h"

#include "app/EcuSession.h"
#include "app/ReplaySession.h"

std::unique_ptr<InputSession> MakeInputSession(InputChoice input, SymbolTable* table,
                                               const DashboardOptions& options)
{
    switch (input) {
    case InputChoice::Ecu:
        return std::make_unique<EcuSession>(table, options);
    case InputChoice::File:
        return std::make_unique<ReplaySession>(options.datalogFile, table);
    case InputChoice::None:
        break;
    }
    return std::make_unique<NoInputSession>();
}

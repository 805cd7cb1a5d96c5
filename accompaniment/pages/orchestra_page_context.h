#pragma once
// What the accompaniment page is handed: the services and the shared block every page has, and
// the parts of the program's state its logic reads and writes (accompaniment/orchestra).

#include "accompaniment/orchestra/orchestra_ops.h"
#include "ui/program_context.h"

namespace accompaniment {

struct OrchestraPageContext : ui::ProgramContext {
    OrchestraTargets state;
};

}  // namespace accompaniment

// The engine calls of the table browser, routed through one replaceable
// table (see table_engine.h).
#include "data/table_engine.h"

const STableEngine kIsamTableEngine = {
    ISAMOpen,
    ISAMClose,
    ISAMOpenTable,
    ISAMCloseTable,
    ISAMGetDataRecSize,
    ISAMGetIndexDesc,
    ISAMSetupIterationLimits,
    ISAMSetupIterationAddress,
    ISAMReadNextRecord,
    ISAMReadRecordByAddress,
    ISAMDispError,
};

STableEngine theTableEngine = kIsamTableEngine;

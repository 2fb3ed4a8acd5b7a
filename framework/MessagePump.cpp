#include "MessagePump.h"

#include "Forms.h"

void ProcessPendingMessages() { Application->ProcessMessages(); }

// Handling the window messages waiting for this thread, for units below the forms that run
// long loops (the folder walk) and must keep the windows responsive.
#pragma once

// Handles the waiting messages as the application's message loop does, then returns.
void ProcessPendingMessages();

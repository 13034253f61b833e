// Where Windows may look for the libraries the program loads as it runs.
#ifndef PRCFIX_RUN_DLL_SEARCH_H
#define PRCFIX_RUN_DLL_SEARCH_H

// Lets Windows load libraries at run time only from its own system folder,
// never from the program's folder or the current one, where another
// download may have left a library of the same name. Called first thing,
// before anything that could load one (the file-open dialog loads many).
void restrict_dll_search();

#endif

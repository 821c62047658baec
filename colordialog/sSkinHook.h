#pragma once
// Lets the skin manager announce itself as the application's default without
// this layer depending on the skin layer: the manager sets the query, null = none.
using TDefaultManagerQuery = bool (*)();
extern TDefaultManagerQuery DefaultSkinManagerQuery;

// True when a default skin manager is registered.
bool DefaultSkinManagerPresent();

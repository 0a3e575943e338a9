// What the stand-in writes to the registry when it starts, so that a client
// on another process can reach it the way it reaches the real application.
//
// It takes the real application's identifiers: run it only in a test Wine
// prefix, never where the real application is installed.
#pragma once

namespace pagora::standin {

// Registers the type library embedded in the running exe: the universal
// marshaller needs it to carry _Application's vtable calls across processes.
void RegisterTypeLibrary();
// The class identifier's ProgID, which a client's connection message names.
void RegisterProgId();
// Takes the ProgID away again, for tests of a client facing an unnamed class.
void RemoveProgId();

} // namespace pagora::standin

#pragma once
// Makes Keystrand's creatable classes known by name ("Keystrand.clsProviders",
// "Keystrand.clsKey", "Keystrand.Encoder") in the class registry of the automation runtime,
// so scripts and late-bound clients create them with CreateObject. Calling it again changes
// nothing.

namespace keystrand {

void registerClasses();

}  // namespace keystrand

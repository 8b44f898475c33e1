#pragma once

#include "avm2/Vm.h"

namespace vidorama::swf::avm2 {

// Helpers the built-in classes share.
inline Value Arg(Args args, std::size_t i) {
    return i < args.size() ? args[i] : Value();
}

// The array or vector a method was called on; a TypeError for anything else.
ArrayObject* ThisList(Vm& vm, const Value& self);
// An element as reading list[i] gives it: a hole answers what the
// prototype has at that index.
Value ElementAt(Vm& vm, ArrayObject* list, std::size_t i);
// Vector.<T>(list) called as a function: a new Vector of the list's
// elements converted to T.
Value VectorFromList(Vm& vm, ClassObject* cls, Args args);
// The primitive a String, Number or Boolean method was called on.
Value ThisPrimitive(const Value& self);

// The library character SymbolClass links to the class or to the nearest of
// its script bases; none for Flash's own classes.
std::optional<CharacterId> LinkedLibraryCharacter(Vm& vm, ClassObject* cls);

void InstallObjectClasses(Vm& vm);
void InstallArray(Vm& vm);
void InstallPrimitives(Vm& vm);
void InstallMath(Vm& vm);
void InstallRegExp(Vm& vm);
void InstallByteArray(Vm& vm);
void InstallBitmapData(Vm& vm);
void InstallDate(Vm& vm);
void InstallTextFunctions(Vm& vm);
void InstallErrors(Vm& vm);
void InstallGlobals(Vm& vm);
void InstallDisplay(Vm& vm);
void InstallTimers(Vm& vm);
void InstallFont(Vm& vm);
// The main movie's LoaderInfo tells that the movie is there (init, then
// complete), once its first frame has ended.
void AnnounceMovieLoaded(Vm& vm);

} // namespace vidorama::swf::avm2

# The ActionScript 3 virtual machine: the ABC reader, the interpreter and the
# built-in classes. Part of the engine library, beside the ActionScript 1/2 one.
target_sources(vidorama_swf PRIVATE
    src/avm2/AbcReader.cpp
    src/avm2/Builtins.cpp
    src/avm2/BuiltinsArray.cpp
    src/avm2/BuiltinsByteArray.cpp
    src/avm2/BuiltinsDate.cpp
    src/avm2/BuiltinsDisplay.cpp
    src/avm2/BuiltinsError.cpp
    src/avm2/BuiltinsEvents.cpp
    src/avm2/BuiltinsGlobal.cpp
    src/avm2/BuiltinsGraphics.cpp
    src/avm2/BuiltinsMath.cpp
    src/avm2/BuiltinsPrimitive.cpp
    src/avm2/BuiltinsRegExp.cpp
    src/avm2/BuiltinsTimer.cpp
    src/avm2/BuiltinsUri.cpp
    src/avm2/DateMath.cpp
    src/avm2/DisplayBinding.cpp
    src/avm2/ErrorMessages.cpp
    src/avm2/Interpreter.cpp
    src/avm2/InterpreterObjects.cpp
    src/avm2/InterpreterStep.cpp
    src/avm2/InterpreterValues.cpp
    src/avm2/MovieScripts.cpp
    src/avm2/Object.cpp
    src/avm2/RegExpParser.cpp
    src/avm2/RegExpProgram.cpp
    src/avm2/Value.cpp
    src/avm2/Vm.cpp
    src/avm2/VmClasses.cpp
    src/avm2/VmConvert.cpp
    src/avm2/VmProperties.cpp
)

// Math.

#include "avm1/Native.h"

#include <cmath>
#include <numbers>

namespace vidorama::swf::avm1 {

namespace {

double N(Vm& vm, std::span<const Value> args, std::size_t i) {
    return i < args.size() ? vm.toNumber(args[i]) : std::nan("");
}

template <double (*F)(double)> Value Unary(Vm& vm, const Value&, std::span<const Value> args) {
    return Value::number(F(N(vm, args, 0)));
}

double Abs(double x) {
    return std::fabs(x);
}
double Acos(double x) {
    return std::acos(x);
}
double Asin(double x) {
    return std::asin(x);
}
double Atan(double x) {
    return std::atan(x);
}
double Ceil(double x) {
    return std::ceil(x);
}
double Cos(double x) {
    return std::cos(x);
}
double Exp(double x) {
    return std::exp(x);
}
double Floor(double x) {
    return std::floor(x);
}
double Log(double x) {
    return std::log(x);
}
double Round(double x) {
    return std::floor(x + 0.5);
}
double Sin(double x) {
    return std::sin(x);
}
double Sqrt(double x) {
    return std::sqrt(x);
}
double Tan(double x) {
    return std::tan(x);
}

Value Atan2(Vm& vm, const Value&, std::span<const Value> args) {
    return Value::number(std::atan2(N(vm, args, 0), N(vm, args, 1)));
}

Value Pow(Vm& vm, const Value&, std::span<const Value> args) {
    return Value::number(std::pow(N(vm, args, 0), N(vm, args, 1)));
}

Value Max(Vm& vm, const Value&, std::span<const Value> args) {
    if (args.empty())
        return Value::number(-INFINITY);
    double best = N(vm, args, 0);
    for (std::size_t i = 1; i < args.size(); ++i) {
        double n = N(vm, args, i);
        best = std::isnan(n) || std::isnan(best) ? std::nan("") : std::max(best, n);
    }
    return Value::number(best);
}

Value Min(Vm& vm, const Value&, std::span<const Value> args) {
    if (args.empty())
        return Value::number(INFINITY);
    double best = N(vm, args, 0);
    for (std::size_t i = 1; i < args.size(); ++i) {
        double n = N(vm, args, i);
        best = std::isnan(n) || std::isnan(best) ? std::nan("") : std::min(best, n);
    }
    return Value::number(best);
}

// A seeded generator: the same movie converts to the same video every time.
Value Random(Vm& vm, const Value&, std::span<const Value>) {
    return Value::number(std::uniform_real_distribution<double>(0, 1)(vm.random()));
}

} // namespace

void InstallMath(Vm& vm, Builtins& b) {
    Object* math = vm.newObject();
    vm.defineValue(b.global, "Math", Value::object(math), kDontEnum);
    Method(vm, math, "abs", Unary<Abs>);
    Method(vm, math, "acos", Unary<Acos>);
    Method(vm, math, "asin", Unary<Asin>);
    Method(vm, math, "atan", Unary<Atan>);
    Method(vm, math, "ceil", Unary<Ceil>);
    Method(vm, math, "cos", Unary<Cos>);
    Method(vm, math, "exp", Unary<Exp>);
    Method(vm, math, "floor", Unary<Floor>);
    Method(vm, math, "log", Unary<Log>);
    Method(vm, math, "round", Unary<Round>);
    Method(vm, math, "sin", Unary<Sin>);
    Method(vm, math, "sqrt", Unary<Sqrt>);
    Method(vm, math, "tan", Unary<Tan>);
    Method(vm, math, "atan2", Atan2);
    Method(vm, math, "pow", Pow);
    Method(vm, math, "max", Max);
    Method(vm, math, "min", Min);
    Method(vm, math, "random", Random);
    Constant(vm, math, "E", std::numbers::e);
    Constant(vm, math, "LN10", std::numbers::ln10);
    Constant(vm, math, "LN2", std::numbers::ln2);
    Constant(vm, math, "LOG10E", std::numbers::log10e);
    Constant(vm, math, "LOG2E", std::numbers::log2e);
    Constant(vm, math, "PI", std::numbers::pi);
    Constant(vm, math, "SQRT1_2", std::numbers::sqrt2 / 2);
    Constant(vm, math, "SQRT2", std::numbers::sqrt2);
}

} // namespace vidorama::swf::avm1

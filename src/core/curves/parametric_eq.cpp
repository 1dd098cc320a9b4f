#include "parametric_eq.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <string>

#include "editor_errors.h"
#include "number_text.h"
#include "text_utf.h"

namespace {

struct Biquad {
    double b0, b1, b2, a0, a1, a2;
};

Biquad BiquadOf(const TFilter& Filter, double SampleRate) {
    const double w0 = 2 * std::numbers::pi * Filter.Frequency / SampleRate;
    const double A = std::pow(10.0, Filter.GainDb / 40);
    const double alpha = std::sin(w0) / (2 * Filter.Q);
    const double c = std::cos(w0);
    const double s = 2 * std::sqrt(A) * alpha;
    switch (Filter.Type) {
    case TFilterType::LowShelf:
        return {A * ((A + 1) - (A - 1) * c + s), 2 * A * ((A - 1) - (A + 1) * c),
                A * ((A + 1) - (A - 1) * c - s), (A + 1) + (A - 1) * c + s,
                -2 * ((A - 1) + (A + 1) * c),    (A + 1) + (A - 1) * c - s};
    case TFilterType::HighShelf:
        return {A * ((A + 1) + (A - 1) * c + s), -2 * A * ((A - 1) + (A + 1) * c),
                A * ((A + 1) + (A - 1) * c - s), (A + 1) - (A - 1) * c + s,
                2 * ((A - 1) - (A + 1) * c),     (A + 1) - (A - 1) * c - s};
    case TFilterType::Peaking:
    default:
        return {1 + alpha * A, -2 * c, 1 - alpha * A, 1 + alpha / A, -2 * c, 1 - alpha / A};
    }
}

// |x0 + x1 z^-1 + x2 z^-2|^2 at z = e^(jw), written with phi = sin^2(w/2) so that low
// frequencies, where the terms nearly cancel, keep their precision.
double SquaredMagnitude(double x0, double x1, double x2, double phi) {
    const double sum = x0 + x1 + x2;
    return sum * sum - 4 * phi * (x0 * x1 + x1 * x2 + 4 * x0 * x2) + 16 * phi * phi * x0 * x2;
}

double Phi(double SampleRate, double Frequency) {
    const double half = std::sin(std::numbers::pi * Frequency / SampleRate);
    return half * half;
}

double GainDbAt(const Biquad& q, double phi) {
    return 10 * std::log10(SquaredMagnitude(q.b0, q.b1, q.b2, phi) /
                           SquaredMagnitude(q.a0, q.a1, q.a2, phi));
}

// The value as it is written with that many decimals (halves away from zero), as the nearest
// double to that decimal, so that the written text reads back to it.
double WrittenValue(double Value, int Decimals) {
    const std::string text = Utf16ToUtf8(FormatFixed(Value, 18, Decimals, NumberNotation{u'.'}));
    double read = 0;
    std::from_chars(text.data(), text.data() + text.size(), read);
    return read == 0 ? 0.0 : read;
}

// The written value nearest to Value within [Low, High] on the grid of that many decimals,
// stepping inwards from the rounded value; false when no grid value lies within.
bool WrittenWithin(double Value, int Decimals, double Low, double High, double& Result) {
    const double step = std::pow(10.0, -Decimals);
    double written = WrittenValue(std::clamp(Value, Low, High), Decimals);
    if (written < Low) {
        written = WrittenValue(written + step, Decimals);
    } else if (written > High) {
        written = WrittenValue(written - step, Decimals);
    }
    Result = written;
    return Low <= written && written <= High;
}

std::string NumberText(double Value) {
    return Utf16ToUtf8(FormatGeneral(Value, UserNotation));
}

void CheckSettings(const TFitSettings& s) {
    if (s.MaxFilters < 1 || s.MaxFilters > 32) {
        throw EditorError("The number of filters must be from 1 to 32, not " +
                          std::to_string(s.MaxFilters) + ".");
    }
    if (!(std::isfinite(s.SampleRate) && s.SampleRate > 0)) {
        throw EditorError("The sample rate must be above 0 Hz, not " + NumberText(s.SampleRate) +
                          " Hz.");
    }
    if (!(s.LowHz > 0)) {
        throw EditorError("The lowest frequency of the band must be above 0 Hz, not " +
                          NumberText(s.LowHz) + " Hz.");
    }
    if (!(s.LowHz < s.HighHz)) {
        throw EditorError("The lowest frequency of the band (" + NumberText(s.LowHz) +
                          " Hz) must be below its highest (" + NumberText(s.HighHz) + " Hz).");
    }
    if (!(s.HighHz < s.SampleRate / 2)) {
        throw EditorError("The highest frequency of the band (" + NumberText(s.HighHz) +
                          " Hz) must be below half the sample rate (" +
                          NumberText(s.SampleRate / 2) + " Hz).");
    }
    if (!(s.MinQ > 0)) {
        throw EditorError("The lowest Q must be above 0, not " + NumberText(s.MinQ) + ".");
    }
    if (!(s.MinQ <= s.MaxQ) || std::isinf(s.MaxQ)) {
        throw EditorError("The highest Q (" + NumberText(s.MaxQ) +
                          ") must be finite and not below the lowest Q (" + NumberText(s.MinQ) +
                          ").");
    }
    if (!(s.MaxGainDb > 0) || std::isinf(s.MaxGainDb)) {
        throw EditorError("The largest gain must be above 0 dB and finite, not " +
                          NumberText(s.MaxGainDb) + " dB.");
    }
}

// The points a fit matches: their frequencies (as phi), target gains and bounds.
struct Problem {
    double sampleRate = 48000;
    std::vector<double> frequency;
    std::vector<double> phi;
    std::vector<double> target;
    // Bounds of the parameters as the fit moves them: ln(Hz), dB, ln(Q).
    double lower[3] = {};
    double upper[3] = {};
};

// A filter as the fit moves it: ln(Frequency), GainDb, ln(Q).
struct Candidate {
    TFilterType type = TFilterType::Peaking;
    double p[3] = {};

    TFilter Filter() const { return {type, std::exp(p[0]), p[1], std::exp(p[2])}; }
};

void FillResponse(const TFilter& Filter, const Problem& P, double* Out) {
    const Biquad q = BiquadOf(Filter, P.sampleRate);
    for (std::size_t i = 0; i < P.phi.size(); ++i) {
        Out[i] = GainDbAt(q, P.phi[i]);
    }
}

// Solves A x = b for a symmetric positive definite A (n x n, row major) in place; false when A
// is not positive definite.
bool SolveCholesky(std::vector<double>& A, std::vector<double>& b, std::size_t n) {
    for (std::size_t j = 0; j < n; ++j) {
        double d = A[j * n + j];
        for (std::size_t k = 0; k < j; ++k) {
            d -= A[j * n + k] * A[j * n + k];
        }
        if (!(d > 0)) {
            return false;
        }
        d = std::sqrt(d);
        A[j * n + j] = d;
        for (std::size_t i = j + 1; i < n; ++i) {
            double v = A[i * n + j];
            for (std::size_t k = 0; k < j; ++k) {
                v -= A[i * n + k] * A[j * n + k];
            }
            A[i * n + j] = v / d;
        }
    }
    for (std::size_t i = 0; i < n; ++i) {
        double v = b[i];
        for (std::size_t k = 0; k < i; ++k) {
            v -= A[i * n + k] * b[k];
        }
        b[i] = v / A[i * n + i];
    }
    for (std::size_t i = n; i-- > 0;) {
        double v = b[i];
        for (std::size_t k = i + 1; k < n; ++k) {
            v -= A[k * n + i] * b[k];
        }
        b[i] = v / A[i * n + i];
    }
    return true;
}

// The filters with their responses at the matched points and the sum of squared errors.
class Model {
public:
    explicit Model(const Problem& P) : p_(P) { Set({}); }

    std::size_t Count() const { return filters_.size(); }
    const std::vector<Candidate>& Filters() const { return filters_; }
    double Cost() const { return cost_; }

    void Set(std::vector<Candidate> Filters) {
        filters_ = std::move(Filters);
        const std::size_t n = p_.phi.size();
        response_.assign(filters_.size() * n, 0.0);
        for (std::size_t k = 0; k < filters_.size(); ++k) {
            FillResponse(filters_[k].Filter(), p_, &response_[k * n]);
        }
        Sum();
    }

    // target - model at each point.
    std::vector<double> Residual() const {
        std::vector<double> r(p_.target);
        for (std::size_t i = 0; i < r.size(); ++i) {
            r[i] -= model_[i];
        }
        return r;
    }

    // Levenberg-Marquardt over all parameters, each kept within its bounds.
    void Refine(int MaxIterations) {
        const std::size_t n = p_.phi.size();
        const std::size_t m = filters_.size() * 3;
        if (m == 0) {
            return;
        }
        std::vector<double> J(m * n);
        std::vector<double> JtJ(m * m);
        std::vector<double> Jte(m);
        double lambda = 1e-3;
        for (int iteration = 0; iteration < MaxIterations; ++iteration) {
            for (std::size_t k = 0; k < filters_.size(); ++k) {
                FillJacobian(filters_[k], &J[k * 3 * n]);
            }
            const std::vector<double> r = Residual();
            for (std::size_t a = 0; a < m; ++a) {
                const double* ca = &J[a * n];
                double e = 0;
                for (std::size_t i = 0; i < n; ++i) {
                    e += ca[i] * r[i];
                }
                Jte[a] = e;
                for (std::size_t b = 0; b <= a; ++b) {
                    const double* cb = &J[b * n];
                    double v = 0;
                    for (std::size_t i = 0; i < n; ++i) {
                        v += ca[i] * cb[i];
                    }
                    JtJ[a * m + b] = v;
                    JtJ[b * m + a] = v;
                }
            }
            double largest = 0;
            for (std::size_t a = 0; a < m; ++a) {
                largest = std::max(largest, JtJ[a * m + a]);
            }
            bool improved = false;
            const double before = cost_;
            while (lambda < 1e12) {
                std::vector<double> A(JtJ);
                std::vector<double> step(Jte);
                for (std::size_t a = 0; a < m; ++a) {
                    A[a * m + a] += lambda * (JtJ[a * m + a] + 1e-12 * largest + 1e-12);
                }
                if (SolveCholesky(A, step, m)) {
                    std::vector<Candidate> next = filters_;
                    for (std::size_t k = 0; k < next.size(); ++k) {
                        for (int j = 0; j < 3; ++j) {
                            const double v =
                                next[k].p[j] + step[k * 3 + static_cast<std::size_t>(j)];
                            next[k].p[j] = std::clamp(v, p_.lower[j], p_.upper[j]);
                        }
                    }
                    const std::vector<Candidate> kept = filters_;
                    const std::vector<double> keptResponse = response_;
                    const std::vector<double> keptModel = model_;
                    Set(std::move(next));
                    if (cost_ < before) {
                        lambda = std::max(lambda / 3, 1e-9);
                        improved = true;
                        break;
                    }
                    filters_ = kept;
                    response_ = keptResponse;
                    model_ = keptModel;
                    cost_ = before;
                }
                lambda *= 4;
            }
            if (!improved || before - cost_ <= 1e-6 * before + 1e-12) {
                return;
            }
        }
    }

private:
    // The derivatives of the filter's response at each point by its three parameters, one
    // column after the other: through the coefficients, so that no logarithm is taken per point.
    void FillJacobian(const Candidate& Filter, double* Columns) const {
        const std::size_t n = p_.phi.size();
        const Biquad q = BiquadOf(Filter.Filter(), p_.sampleRate);
        Biquad dq[3];
        for (int j = 0; j < 3; ++j) {
            constexpr double h = 1e-5;
            Candidate up = Filter;
            Candidate down = Filter;
            up.p[j] += h;
            down.p[j] -= h;
            const Biquad a = BiquadOf(up.Filter(), p_.sampleRate);
            const Biquad b = BiquadOf(down.Filter(), p_.sampleRate);
            dq[j] = {(a.b0 - b.b0) / (2 * h), (a.b1 - b.b1) / (2 * h), (a.b2 - b.b2) / (2 * h),
                     (a.a0 - b.a0) / (2 * h), (a.a1 - b.a1) / (2 * h), (a.a2 - b.a2) / (2 * h)};
        }
        constexpr double kDb = 10 / std::numbers::ln10;
        for (std::size_t i = 0; i < n; ++i) {
            const double phi = p_.phi[i];
            const double phi2 = 16 * phi * phi;
            const double sb = 2 * (q.b0 + q.b1 + q.b2);
            const double sa = 2 * (q.a0 + q.a1 + q.a2);
            const double N = SquaredMagnitude(q.b0, q.b1, q.b2, phi);
            const double D = SquaredMagnitude(q.a0, q.a1, q.a2, phi);
            const double nb0 = (sb - 4 * phi * (q.b1 + 4 * q.b2) + phi2 * q.b2) / N;
            const double nb1 = (sb - 4 * phi * (q.b0 + q.b2)) / N;
            const double nb2 = (sb - 4 * phi * (q.b1 + 4 * q.b0) + phi2 * q.b0) / N;
            const double da0 = (sa - 4 * phi * (q.a1 + 4 * q.a2) + phi2 * q.a2) / D;
            const double da1 = (sa - 4 * phi * (q.a0 + q.a2)) / D;
            const double da2 = (sa - 4 * phi * (q.a1 + 4 * q.a0) + phi2 * q.a0) / D;
            for (std::size_t j = 0; j < 3; ++j) {
                const Biquad& d = dq[j];
                Columns[j * n + i] = kDb * (nb0 * d.b0 + nb1 * d.b1 + nb2 * d.b2 - da0 * d.a0 -
                                            da1 * d.a1 - da2 * d.a2);
            }
        }
    }

    void Sum() {
        const std::size_t n = p_.phi.size();
        model_.assign(n, 0.0);
        for (std::size_t k = 0; k < filters_.size(); ++k) {
            for (std::size_t i = 0; i < n; ++i) {
                model_[i] += response_[k * n + i];
            }
        }
        cost_ = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const double e = model_[i] - p_.target[i];
            cost_ += e * e;
        }
    }

    const Problem& p_;
    std::vector<Candidate> filters_;
    std::vector<double> response_; // filter by filter, point by point
    std::vector<double> model_;
    double cost_ = 0;
};

// The shapes greedy placement tries: each filter with a gain of one decibel's worth.
struct Shape {
    Candidate filter;
    std::vector<double> perDb;
    double norm = 0; // sum of squares of perDb
};

constexpr double kShapeGainDb = 6;

std::vector<Shape> Shapes(const Problem& P, const TFitSettings& Settings) {
    std::vector<Shape> shapes;
    const auto add = [&](TFilterType type, double hz, double q) {
        Shape shape;
        shape.filter.type = type;
        shape.filter.p[0] = std::log(hz);
        shape.filter.p[1] = kShapeGainDb;
        shape.filter.p[2] = std::log(std::clamp(q, Settings.MinQ, Settings.MaxQ));
        shape.perDb.resize(P.phi.size());
        FillResponse(shape.filter.Filter(), P, shape.perDb.data());
        for (double& v : shape.perDb) {
            v /= kShapeGainDb;
            shape.norm += v * v;
        }
        if (shape.norm > 0) {
            shapes.push_back(std::move(shape));
        }
    };
    // Centres every sixth of an octave across the band.
    std::vector<double> centres;
    for (int k = 0;; ++k) {
        const double hz = Settings.LowHz * std::exp2(k / 6.0);
        if (hz > Settings.HighHz) {
            break;
        }
        centres.push_back(hz);
    }
    std::vector<double> qs;
    for (const double q : {0.5, 1.0, 2.0, 4.0}) {
        const double clamped = std::clamp(q, Settings.MinQ, Settings.MaxQ);
        if (std::find(qs.begin(), qs.end(), clamped) == qs.end()) {
            qs.push_back(clamped);
        }
    }
    for (const double hz : centres) {
        for (const double q : qs) {
            add(TFilterType::Peaking, hz, q);
        }
        if (Settings.Shelves) {
            add(TFilterType::LowShelf, hz, std::numbers::sqrt2 / 2);
            add(TFilterType::HighShelf, hz, std::numbers::sqrt2 / 2);
        }
    }
    return shapes;
}

// Adds the shape and gain that take most off the residual; false when none helps.
bool PlaceOne(Model& M, const std::vector<Shape>& Shapes, const TFitSettings& Settings) {
    const std::vector<double> r = M.Residual();
    bool lowShelf = false;
    bool highShelf = false;
    for (const Candidate& c : M.Filters()) {
        lowShelf = lowShelf || c.type == TFilterType::LowShelf;
        highShelf = highShelf || c.type == TFilterType::HighShelf;
    }
    const Shape* best = nullptr;
    double bestGain = 0;
    double bestGainDb = 0;
    for (const Shape& shape : Shapes) {
        if ((shape.filter.type == TFilterType::LowShelf && lowShelf) ||
            (shape.filter.type == TFilterType::HighShelf && highShelf)) {
            continue;
        }
        double dot = 0;
        for (std::size_t i = 0; i < r.size(); ++i) {
            dot += r[i] * shape.perDb[i];
        }
        const double gain = std::clamp(dot / shape.norm, -Settings.MaxGainDb, Settings.MaxGainDb);
        const double reduction = 2 * gain * dot - gain * gain * shape.norm;
        if (reduction > bestGain) {
            best = &shape;
            bestGain = reduction;
            bestGainDb = gain;
        }
    }
    if (best == nullptr || bestGain <= 1e-6 * static_cast<double>(r.size())) {
        return false;
    }
    std::vector<Candidate> filters = M.Filters();
    Candidate added = best->filter;
    added.p[1] = bestGainDb;
    filters.push_back(added);
    M.Set(std::move(filters));
    return true;
}

// Grid steps of one written unit on each parameter while the error falls.
std::vector<TFilter> PolishRounded(std::vector<TFilter> Filters, const Problem& P,
                                   const TFitSettings& Settings) {
    const std::size_t n = P.phi.size();
    std::vector<double> response(Filters.size() * n);
    std::vector<double> model(n, 0.0);
    for (std::size_t k = 0; k < Filters.size(); ++k) {
        FillResponse(Filters[k], P, &response[k * n]);
        for (std::size_t i = 0; i < n; ++i) {
            model[i] += response[k * n + i];
        }
    }
    double best = 0;
    for (std::size_t i = 0; i < n; ++i) {
        best += (model[i] - P.target[i]) * (model[i] - P.target[i]);
    }
    std::vector<double> trial(n);
    for (int pass = 0; pass < 4; ++pass) {
        bool moved = false;
        for (std::size_t k = 0; k < Filters.size(); ++k) {
            for (int j = 0; j < 3; ++j) {
                for (const int direction : {-1, 1}) {
                    TFilter f = Filters[k];
                    bool within = false;
                    if (j == 0) {
                        f.Frequency = WrittenValue(f.Frequency + direction, 0);
                        within = Settings.LowHz <= f.Frequency && f.Frequency <= Settings.HighHz;
                    } else if (j == 1) {
                        f.GainDb = WrittenValue(f.GainDb + direction * 0.1, 1);
                        within = std::abs(f.GainDb) <= Settings.MaxGainDb;
                    } else {
                        f.Q = WrittenValue(f.Q + direction * 0.01, 2);
                        within = Settings.MinQ <= f.Q && f.Q <= Settings.MaxQ;
                    }
                    if (!within) {
                        continue;
                    }
                    FillResponse(f, P, trial.data());
                    double* old = &response[k * n];
                    double cost = 0;
                    for (std::size_t i = 0; i < n; ++i) {
                        const double e = model[i] - old[i] + trial[i] - P.target[i];
                        cost += e * e;
                    }
                    if (cost < best) {
                        best = cost;
                        Filters[k] = f;
                        for (std::size_t i = 0; i < n; ++i) {
                            model[i] += trial[i] - old[i];
                            old[i] = trial[i];
                        }
                        moved = true;
                    }
                }
            }
        }
        if (!moved) {
            break;
        }
    }
    return Filters;
}

} // namespace

double FilterGainDb(const TFilter& Filter, double SampleRate, double Frequency) {
    return GainDbAt(BiquadOf(Filter, SampleRate), Phi(SampleRate, Frequency));
}

double FiltersGainDb(const std::vector<TFilter>& Filters, double SampleRate, double Frequency) {
    const double phi = Phi(SampleRate, Frequency);
    double sum = 0;
    for (const TFilter& filter : Filters) {
        sum += GainDbAt(BiquadOf(filter, SampleRate), phi);
    }
    return sum;
}

TFitResult FitParametricEq(const TProfileRows& Target, const TFitSettings& Settings) {
    CheckSettings(Settings);
    Problem problem;
    problem.sampleRate = Settings.SampleRate;
    for (const std::vector<float>& row : Target) {
        if (!IsUsedRow(row) || row[0] < Settings.LowHz || row[0] > Settings.HighHz) {
            continue;
        }
        if (!std::isfinite(row[1])) {
            throw EditorError("Cannot fit: the point at " + NumberText(row[0]) + " Hz holds " +
                              NumberText(row[1]) + ", which is not a finite number.");
        }
        problem.frequency.push_back(row[0]);
        problem.phi.push_back(Phi(Settings.SampleRate, row[0]));
        problem.target.push_back(row[1]);
    }
    if (problem.frequency.size() < 2) {
        throw EditorError("Not enough points to fit.");
    }
    problem.lower[0] = std::log(Settings.LowHz);
    problem.upper[0] = std::log(Settings.HighHz);
    problem.lower[1] = -Settings.MaxGainDb;
    problem.upper[1] = Settings.MaxGainDb;
    problem.lower[2] = std::log(Settings.MinQ);
    problem.upper[2] = std::log(Settings.MaxQ);

    // Greedy placement, each new filter settled with the others, then all refined together.
    const std::vector<Shape> shapes = Shapes(problem, Settings);
    Model model(problem);
    const double enough = 1e-4 * static_cast<double>(problem.target.size()); // 0.01 dB RMS
    while (model.Count() < static_cast<std::size_t>(Settings.MaxFilters) && model.Cost() > enough &&
           PlaceOne(model, shapes, Settings)) {
        model.Refine(4);
    }
    model.Refine(100);

    std::vector<TFilter> filters;
    for (const Candidate& c : model.Filters()) {
        const TFilter raw = c.Filter();
        TFilter f{raw.Type, 0, 0, 0};
        if (WrittenWithin(raw.Frequency, 0, Settings.LowHz, Settings.HighHz, f.Frequency) &&
            WrittenWithin(raw.GainDb, 1, -Settings.MaxGainDb, Settings.MaxGainDb, f.GainDb) &&
            WrittenWithin(raw.Q, 2, Settings.MinQ, Settings.MaxQ, f.Q)) {
            filters.push_back(f);
        }
    }
    filters = PolishRounded(std::move(filters), problem, Settings);
    std::erase_if(filters, [](const TFilter& f) { return f.GainDb == 0; });
    std::stable_sort(filters.begin(), filters.end(),
                     [](const TFilter& a, const TFilter& b) { return a.Frequency < b.Frequency; });

    TFitResult result;
    result.Filters = std::move(filters);
    double sum = 0;
    double highest = 0;
    for (std::size_t i = 0; i < problem.frequency.size(); ++i) {
        const double gain =
            FiltersGainDb(result.Filters, Settings.SampleRate, problem.frequency[i]);
        const double e = gain - problem.target[i];
        sum += e * e;
        highest = std::max(highest, gain);
    }
    result.RmsErrorDb = std::sqrt(sum / static_cast<double>(problem.frequency.size()));
    const int first = static_cast<int>(std::ceil(48 * std::log2(Settings.LowHz / 1000)));
    for (int k = first;; ++k) {
        const double hz = 1000 * std::exp2(k / 48.0);
        if (hz > Settings.HighHz) {
            break;
        }
        if (hz >= Settings.LowHz) {
            highest = std::max(highest, FiltersGainDb(result.Filters, Settings.SampleRate, hz));
        }
    }
    if (highest > 0) {
        double up = WrittenValue(std::ceil(highest * 10) / 10, 1);
        if (up < highest) {
            up = WrittenValue(up + 0.1, 1);
        }
        result.PreampDb = -up;
    }
    return result;
}

TProfileRows RenderParametricEq(const TParametricEq& Eq, double SampleRate,
                                int32_t FractionOfOctave) {
    if (!(std::isfinite(SampleRate) && SampleRate > 0)) {
        throw EditorError("The sample rate must be above 0 Hz, not " + NumberText(SampleRate) +
                          " Hz.");
    }
    if (!IsOctaveFraction(FractionOfOctave)) {
        throw EditorError("The octave fraction must be 1, 2, 3, 6, 12, 24 or 48, not " +
                          std::to_string(FractionOfOctave) + ".");
    }
    TProfileRows rows;
    const double n = FractionOfOctave;
    const auto first = static_cast<int64_t>(std::floor(n * std::log2(20.0 / 1000)));
    const auto last = static_cast<int64_t>(std::ceil(n * std::log2(20000.0 / 1000)));
    float previous = 0;
    for (int64_t k = first; k <= last; ++k) {
        const float hz = TableValue(1000 * std::exp2(static_cast<double>(k) / n), 0);
        if (hz >= 20 && hz <= 20000 && hz != previous) {
            rows.push_back({hz, TableValue(FiltersGainDb(Eq.Filters, SampleRate, hz), 1)});
            previous = hz;
        }
    }
    return rows;
}

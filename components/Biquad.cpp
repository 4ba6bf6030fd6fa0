#include "components/Biquad.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace {
constexpr double kPi = 3.14159265358979323846;
}

void Biquad::setNormalised(double b0, double b1, double b2, double a0, double a1, double a2) {
    m_b0 = b0 / a0;
    m_b1 = b1 / a0;
    m_b2 = b2 / a0;
    m_a1 = a1 / a0;
    m_a2 = a2 / a0;
}

void Biquad::setPeaking(double rate, double centre, double q, double gainDb) {
    const double a = std::pow(10.0, gainDb / 40.0);
    const double w0 = 2.0 * kPi * centre / rate;
    const double alpha = std::sin(w0) / (2.0 * q);
    const double c = std::cos(w0);
    setNormalised(1.0 + alpha * a, -2.0 * c, 1.0 - alpha * a, 1.0 + alpha / a, -2.0 * c, 1.0 - alpha / a);
}

void Biquad::setHighPass(double rate, double cutoff, double q) {
    const double w0 = 2.0 * kPi * cutoff / rate;
    const double alpha = std::sin(w0) / (2.0 * q);
    const double c = std::cos(w0);
    setNormalised((1.0 + c) / 2.0, -(1.0 + c), (1.0 + c) / 2.0, 1.0 + alpha, -2.0 * c, 1.0 - alpha);
}

void Biquad::setLowPass(double rate, double cutoff, double q) {
    const double w0 = 2.0 * kPi * cutoff / rate;
    const double alpha = std::sin(w0) / (2.0 * q);
    const double c = std::cos(w0);
    setNormalised((1.0 - c) / 2.0, 1.0 - c, (1.0 - c) / 2.0, 1.0 + alpha, -2.0 * c, 1.0 - alpha);
}

void Biquad::setChannels(int channels) {
    m_channels = channels < 1 ? 1 : channels;
    m_z1.assign(static_cast<std::size_t>(m_channels), 0.0);
    m_z2.assign(static_cast<std::size_t>(m_channels), 0.0);
}

void Biquad::reset() {
    std::fill(m_z1.begin(), m_z1.end(), 0.0);
    std::fill(m_z2.begin(), m_z2.end(), 0.0);
}

void Biquad::process(float* data, std::size_t frames) {
    for (int ch = 0; ch < m_channels; ++ch) {
        double z1 = m_z1[static_cast<std::size_t>(ch)], z2 = m_z2[static_cast<std::size_t>(ch)];
        float* p = data + ch;
        for (std::size_t i = 0; i < frames; ++i, p += m_channels) {
            const double x = *p;
            const double y = m_b0 * x + z1;
            z1 = m_b1 * x - m_a1 * y + z2;
            z2 = m_b2 * x - m_a2 * y;
            *p = static_cast<float>(y);
        }
        // Denormals would slow every later sample down once the input falls silent.
        if (std::fabs(z1) < 1e-20) z1 = 0.0;
        if (std::fabs(z2) < 1e-20) z2 = 0.0;
        m_z1[static_cast<std::size_t>(ch)] = z1;
        m_z2[static_cast<std::size_t>(ch)] = z2;
    }
}

void Biquad::processStereoChain(Biquad* const* chain, std::size_t count, float* data, std::size_t frames) {
    struct Section {
        double b0, b1, b2, a1, a2;
        double z1l, z2l, z1r, z2r;
    };
    constexpr std::size_t kMost = 16;
    for (std::size_t from = 0; from < count; from += kMost) {
        const std::size_t n = std::min(kMost, count - from);
        Section s[kMost];
        for (std::size_t k = 0; k < n; ++k) {
            const Biquad& b = *chain[from + k];
            s[k] = {b.m_b0, b.m_b1, b.m_b2, b.m_a1, b.m_a2, b.m_z1[0], b.m_z2[0], b.m_z1[1], b.m_z2[1]};
        }
        float* p = data;
        for (std::size_t i = 0; i < frames; ++i, p += 2) {
            double l = p[0], r = p[1];
            for (std::size_t k = 0; k < n; ++k) {
                Section& q = s[k];
                const double yl = q.b0 * l + q.z1l;
                const double yr = q.b0 * r + q.z1r;
                q.z1l = q.b1 * l - q.a1 * yl + q.z2l;
                q.z1r = q.b1 * r - q.a1 * yr + q.z2r;
                q.z2l = q.b2 * l - q.a2 * yl;
                q.z2r = q.b2 * r - q.a2 * yr;
                l = yl;
                r = yr;
            }
            p[0] = static_cast<float>(l);
            p[1] = static_cast<float>(r);
        }
        for (std::size_t k = 0; k < n; ++k) {
            Biquad& b = *chain[from + k];
            // Denormals would slow every later sample down once the input falls silent.
            auto flushed = [](double z) { return std::fabs(z) < 1e-20 ? 0.0 : z; };
            b.m_z1[0] = flushed(s[k].z1l);
            b.m_z2[0] = flushed(s[k].z2l);
            b.m_z1[1] = flushed(s[k].z1r);
            b.m_z2[1] = flushed(s[k].z2r);
        }
    }
}

double Biquad::responseDb(double rate, double frequency) const {
    const std::complex<double> z1 = std::polar(1.0, -2.0 * kPi * frequency / rate);
    const std::complex<double> z2 = z1 * z1;
    const std::complex<double> h = (m_b0 + m_b1 * z1 + m_b2 * z2) / (1.0 + m_a1 * z1 + m_a2 * z2);
    return 20.0 * std::log10(std::abs(h));
}

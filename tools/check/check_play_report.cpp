// check_play_report.cpp -- the flights summed up: medians and worst cases per players and pilot,
// lives lost by stretch of the level, the frame rates set against each other, the CSV rows and
// the plot (gnuplot draws it from a data file and a script written to a private folder).
#include "check_play_report.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <spawn.h>
#include <sys/wait.h>
#include <tuple>

extern char **environ;

namespace {

// Levels in report order: by number, the campaign last.
int levelOrder(int level)
{
    return level == play_campaign ? 1000 : level;
}

std::string levelName(int level)
{
    return level == play_campaign ? "campaign" : std::to_string(level);
}

struct Group {
    int fps, players;
    PilotSkill skill;
    int level = 1;
    bool operator<(const Group &o) const
    {
        return std::tie(fps, o.players, skill) < std::tie(o.fps, players, o.skill);
    }
};

// Groups of one level in report order: frame rates rising, two players before one, skills rising.
std::map<Group, std::vector<const PlayResult *>> grouped(const std::vector<PlayResult> &results, int level)
{
    std::map<Group, std::vector<const PlayResult *>> groups;
    for (const PlayResult &r : results)
        if (r.run.level == level)
            groups[{r.run.fps, r.run.players, r.run.skill, level}].push_back(&r);
    return groups;
}

std::vector<int> levelsIn(const std::vector<PlayResult> &results)
{
    std::vector<int> levels;
    for (const PlayResult &r : results)
        if (std::find(levels.begin(), levels.end(), r.run.level) == levels.end())
            levels.push_back(r.run.level);
    std::sort(levels.begin(), levels.end(), [](int a, int b) { return levelOrder(a) < levelOrder(b); });
    return levels;
}

const PlayProfile &profileOf(const std::vector<PlayProfile> &profiles, int level)
{
    static const PlayProfile none{{}, -1};
    return level >= 1 && static_cast<size_t>(level) <= profiles.size() ? profiles[static_cast<size_t>(level) - 1]
                                                                         : none;
}

float median(std::vector<float> values)
{
    if (values.empty())
        return NAN;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : 0.5f * (values[n / 2 - 1] + values[n / 2]);
}

float mean(const std::vector<float> &values)
{
    float sum = 0;
    for (const float v : values)
        sum += v;
    return values.empty() ? NAN : sum / static_cast<float>(values.size());
}

float variance(const std::vector<float> &values)
{
    if (values.size() < 2)
        return 0;
    const float m = mean(values);
    float sum = 0;
    for (const float v : values)
        sum += (v - m) * (v - m);
    return sum / static_cast<float>(values.size() - 1);
}

std::string seconds(float value)
{
    if (std::isnan(value))
        return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(value));
    return text;
}

size_t stretchOf(float levelSecond)
{
    return levelSecond <= 0 ? 0 : static_cast<size_t>(levelSecond / play_stretch);
}

// Lives lost in each stretch, summed over the runs.
std::vector<int> lossesByStretch(const std::vector<const PlayResult *> &runs, size_t stretches)
{
    std::vector<int> losses(stretches, 0);
    for (const PlayResult *r : runs)
        for (const float at : r->lossAt)
            ++losses[std::min(stretchOf(at), stretches - 1)];
    return losses;
}

size_t stretchCount(const std::vector<PlayResult> &results, const PlayProfile &profile)
{
    size_t count = profile.enemies.size();
    for (const PlayResult &r : results)
        for (const float at : r.lossAt)
            count = std::max(count, stretchOf(at) + 1);
    return std::max<size_t>(count, 1);
}

struct Sample {
    std::vector<float> won, lives, fight;
};

Sample sampleOf(const std::vector<const PlayResult *> &runs)
{
    Sample s;
    for (const PlayResult *r : runs) {
        s.won.push_back(r->won ? 1.0f : 0.0f);
        s.lives.push_back(static_cast<float>(r->livesLost));
        if (r->won)
            s.fight.push_back(r->bossSeconds);
    }
    return s;
}

// Whether two samples' means differ by more than twice the standard error of the difference.
bool differs(const std::vector<float> &a, const std::vector<float> &b, float &difference, float &noise)
{
    difference = mean(b) - mean(a);
    if (a.size() < 2 || b.size() < 2)
        return noise = NAN, false;
    const float na = static_cast<float>(a.size()), nb = static_cast<float>(b.size());
    noise = 2.0f * std::sqrt(variance(a) / na + variance(b) / nb);
    // Two rates of 0 or 1 have no spread; a difference between them is still real.
    return std::fabs(difference) > std::max(noise, 1e-6f);
}

void compareFrameRates(std::FILE *out, const std::map<Group, std::vector<const PlayResult *>> &groups,
                       const std::vector<int> &rates)
{
    const int reference = std::find(rates.begin(), rates.end(), 60) != rates.end() ? 60 : rates.front();
    std::fprintf(out, "\nFrame rates against %d frames a second (a difference counts when it exceeds twice its "
                      "standard error):\n",
                 reference);
    int found = 0;
    for (const auto &[group, runs] : groups) {
        if (group.fps == reference)
            continue;
        const auto other = groups.find({reference, group.players, group.skill});
        if (other == groups.end())
            continue;
        const Sample a = sampleOf(other->second), b = sampleOf(runs);
        const struct {
            const char *what;
            const std::vector<float> &x, &y;
            float scale;
            const char *unit;
        } measures[] = {{"win rate", a.won, b.won, 100.0f, " points"},
                        {"lives lost", a.lives, b.lives, 1.0f, ""},
                        {"boss fight", a.fight, b.fight, 1.0f, " s"}};
        for (const auto &m : measures) {
            float difference = 0, noise = 0;
            if (!differs(m.x, m.y, difference, noise))
                continue;
            ++found;
            std::fprintf(out, "  %d players, %s, %d fps: %s %+.1f%s (noise %.1f%s)\n", group.players,
                         pilot_name(group.skill), group.fps, m.what, static_cast<double>(difference * m.scale),
                         m.unit, static_cast<double>(noise * m.scale), m.unit);
        }
    }
    if (found == 0)
        std::fputs("  no difference beyond run-to-run noise\n", out);
}

std::string quoted(const std::string &path)
{
    std::string q = "'";
    for (const char c : path)
        q += c == '\'' ? std::string("''") : std::string(1, c);
    return q + "'";
}

} // namespace

void playreport_writeCsvHeader(std::FILE *out)
{
    std::fputs("players,pilot,seed,fps,won,lives_lost,score,seconds,boss_at,boss_seconds,loss_at,level,reached\n", out);
}

void playreport_writeCsvRow(std::FILE *out, const PlayResult &r)
{
    std::fprintf(out, "%d,%s,%u,%d,%d,%d,%d,%.3f,%.3f,%.3f,", r.run.players, pilot_name(r.run.skill), r.run.seed,
                 r.run.fps, r.won ? 1 : 0, r.livesLost, r.score, static_cast<double>(r.seconds),
                 static_cast<double>(r.bossAt), static_cast<double>(r.bossSeconds));
    for (size_t i = 0; i < r.lossAt.size(); ++i)
        std::fprintf(out, "%s%.3f", i > 0 ? " " : "", static_cast<double>(r.lossAt[i]));
    std::fprintf(out, ",%s,%d\n", levelName(r.run.level).c_str(), r.reached);
}

void playreport_sort(std::vector<PlayResult> &results)
{
    std::stable_sort(results.begin(), results.end(), [](const PlayResult &a, const PlayResult &b) {
        const int la = levelOrder(a.run.level), lb = levelOrder(b.run.level);
        return std::tie(la, a.run.fps, b.run.players, a.run.skill, a.run.seed) <
               std::tie(lb, b.run.fps, a.run.players, b.run.skill, b.run.seed);
    });
}

namespace {

void printLevel(std::FILE *out, const std::vector<PlayResult> &results, int level, const PlayProfile &profile)
{
    const auto groups = grouped(results, level);
    std::vector<PlayResult> own;
    for (const PlayResult &r : results)
        if (r.run.level == level)
            own.push_back(r);
    std::vector<int> rates;
    for (const auto &[group, runs] : groups)
        if (std::find(rates.begin(), rates.end(), group.fps) == rates.end())
            rates.push_back(group.fps);
    const size_t stretches = stretchCount(own, profile);

    for (const int fps : rates) {
        std::fprintf(out, "\nAt %d frames a second:\n", fps);
        std::fputs("players  pilot    runs   won  lives lost    score  to boss  boss fight  reached\n"
                   "                                median/worst  median  median s  median s   median\n",
                   out);
        for (const auto &[group, runs] : groups) {
            if (group.fps != fps)
                continue;
            std::vector<float> lives, scores, toBoss, fight, reached;
            int won = 0, worst = 0;
            for (const PlayResult *r : runs) {
                won += r->won;
                lives.push_back(static_cast<float>(r->livesLost));
                worst = std::max(worst, r->livesLost);
                scores.push_back(static_cast<float>(r->score));
                if (r->bossAt >= 0)
                    toBoss.push_back(r->bossAt);
                if (r->won)
                    fight.push_back(r->bossSeconds);
                reached.push_back(static_cast<float>(r->reached));
            }
            std::fprintf(out, "%7d  %-7s %5zu  %3.0f%%  %6g/%-5d %8.0f  %7s  %8s  %7g\n", group.players,
                         pilot_name(group.skill), runs.size(), 100.0 * won / static_cast<double>(runs.size()),
                         static_cast<double>(median(lives)), worst, static_cast<double>(median(scores)),
                         seconds(median(toBoss)).c_str(), seconds(median(fight)).c_str(),
                         static_cast<double>(median(reached)));
        }

        // A campaign's runs cross levels: its losses are told level by level above.
        if (level == play_campaign)
            continue;
        std::fprintf(out, "\nLives lost by stretch of the level at %d fps (seconds from the start of the scrolling",
                     fps);
        if (profile.stopSecond >= 0)
            std::fprintf(out, "; the camera stops at %.0f s", static_cast<double>(profile.stopSecond));
        std::fputs("), all runs:\n", out);
        std::fputs("                ", out);
        for (size_t s = 0; s < stretches; ++s)
            std::fprintf(out, "%5zu", s * static_cast<size_t>(play_stretch));
        std::fputs("  most\n", out);
        std::fputs("enemies seen    ", out);
        for (size_t s = 0; s < stretches; ++s)
            std::fprintf(out, "%5.1f",
                         s < profile.enemies.size() ? static_cast<double>(profile.enemies[s]) : 0.0);
        std::fputc('\n', out);
        for (const auto &[group, runs] : groups) {
            if (group.fps != fps)
                continue;
            const std::vector<int> losses = lossesByStretch(runs, stretches);
            int total = 0, most = 0;
            for (const int n : losses)
                total += n, most = std::max(most, n);
            std::fprintf(out, "%dP %-7s     ", group.players, pilot_name(group.skill));
            for (const int n : losses)
                std::fprintf(out, "%5d", n);
            std::fprintf(out, "  %3.0f%%\n", total > 0 ? 100.0 * most / total : 0.0);
        }
    }
    if (rates.size() > 1)
        compareFrameRates(out, groups, rates);
}

struct Figures {
    float won[2][3];         // [players 2, 1][skill]: share of runs won; NaN when not flown
    float fight = NAN;       // two steady pilots' boss fight, median seconds
    float worstStretch = NAN; // the steady pilots' largest share of lives lost in one stretch
    float opening = NAN;     // and their share lost in the first 20 s
};

Figures figuresOf(const std::vector<PlayResult> &results, int level, int fps)
{
    Figures f;
    for (auto &row : f.won)
        for (float &v : row)
            v = NAN;
    std::vector<float> fight;
    int lost = 0, opening = 0;
    std::map<size_t, int> stretches;
    for (int p = 0; p < 2; ++p)
        for (int k = 0; k < 3; ++k) {
            int runs = 0, won = 0;
            for (const PlayResult &r : results) {
                if (r.run.level != level || r.run.fps != fps || r.run.players != 2 - p || r.run.skill != pilot_skills[k])
                    continue;
                ++runs;
                won += r.won;
                if (pilot_skills[k] != PilotSkill::steady)
                    continue;
                if (p == 0 && r.won)
                    fight.push_back(r.bossSeconds);
                for (const float at : r.lossAt) {
                    ++lost;
                    opening += at < 20.0f;
                    ++stretches[stretchOf(at)];
                }
            }
            if (runs > 0)
                f.won[p][k] = static_cast<float>(won) / static_cast<float>(runs);
        }
    f.fight = median(fight);
    if (lost > 0) {
        int most = 0;
        for (const auto &[stretch, n] : stretches)
            most = std::max(most, n);
        f.worstStretch = static_cast<float>(most) / static_cast<float>(lost);
        f.opening = static_cast<float>(opening) / static_cast<float>(lost);
    }
    return f;
}

std::string percent(float share)
{
    if (std::isnan(share))
        return "-";
    char text[16];
    std::snprintf(text, sizeof text, "%.0f%%", static_cast<double>(100 * share));
    return text;
}

// The campaign's targets, each with its figure and whether it holds.
void printTargets(std::FILE *out, const std::vector<PlayResult> &results, const std::vector<int> &levels, int fps)
{
    std::vector<int> numbered;
    for (const int level : levels)
        if (level != play_campaign)
            numbered.push_back(level);
    if (numbered.size() < 2)
        return;
    std::fprintf(out, "\nThe campaign's targets at %d frames a second (steady and expert pilots):\n", fps);
    std::fputs("level  2P steady  2P expert  1P steady  1P expert  2P steady boss fight  steady losses: worst 10 s, "
               "first 20 s\n",
               out);
    std::vector<Figures> figures;
    for (const int level : numbered) {
        figures.push_back(figuresOf(results, level, fps));
        const Figures &f = figures.back();
        std::fprintf(out, "%5d  %9s  %9s  %9s  %9s  %20s  %13s  %10s\n", level, percent(f.won[0][1]).c_str(),
                     percent(f.won[0][2]).c_str(), percent(f.won[1][1]).c_str(), percent(f.won[1][2]).c_str(),
                     (seconds(f.fight) + " s").c_str(), percent(f.worstStretch).c_str(), percent(f.opening).c_str());
    }
    int missed = 0;
    const auto target = [&](bool holds, const std::string &what) {
        std::fprintf(out, "  %s  %s\n", holds ? "met   " : "MISSED", what.c_str());
        missed += !holds;
    };
    const auto within = [](float v, float lo, float hi) { return !std::isnan(v) && v >= lo && v <= hi; };
    // Falling: no level more than 5 points above the one before it. A lone pilot's rate is counted
    // from level 2 on: level 1 stays as the game always had it.
    for (int p = 0; p < 2; ++p) {
        const size_t first = p == 1 && numbered.front() == 1 ? 1 : 0;
        bool falling = true;
        std::string rates;
        for (size_t i = first; i < figures.size(); ++i) {
            if (i > first)
                falling = falling && figures[i].won[p][1] <= figures[i - 1].won[p][1] + 0.05f + 1e-4f;
            std::string figure = percent(figures[i].won[p][1]);
            if (i + 1 < figures.size() && figure.back() == '%')
                figure.pop_back();
            rates += (i > first ? ", " : "") + figure;
        }
        const float last = figures.back().won[p][1];
        const std::string who = p == 0 ? "two steady pilots" : "one steady pilot";
        target(falling, who + ": win rates falling level by level" +
                            (first > 0 ? " from level " + std::to_string(numbered[first]) + " on" : std::string()) +
                            ", none more than 5 points above the one before: " + rates);
        target(p == 0 ? within(last, 0.4f, 0.7f) : within(last, 0.2f, 0.5f),
               who + " at the last level: " + percent(last) + (p == 0 ? " (40-70%)" : " (20-50%)"));
        float worstExpert = 1;
        for (const Figures &f : figures)
            worstExpert = std::min(worstExpert, std::isnan(f.won[p][2]) ? 0.0f : f.won[p][2]);
        target(worstExpert >= (p == 0 ? 0.9f : 0.7f), std::string(p == 0 ? "two experts" : "one expert") +
                                                          " on every level: at least " + percent(worstExpert) +
                                                          (p == 0 ? " (90% or more)" : " (70% or more)"));
    }
    const bool hasCampaign = std::find(levels.begin(), levels.end(), play_campaign) != levels.end();
    if (hasCampaign) {
        const Figures c = figuresOf(results, play_campaign, fps);
        target(within(c.won[0][1], 0.15f, 0.5f), "the campaign, two steady pilots: " + percent(c.won[0][1]) + " (15-50%)");
        target(within(c.won[0][2], 0.6f, 1.0f), "the campaign, two experts: " + percent(c.won[0][2]) + " (60% or more)");
        target(within(c.won[1][1], 0.05f, 1.0f), "the campaign, one steady pilot: " + percent(c.won[1][1]) + " (5% or more)");
        target(within(c.won[1][2], 0.4f, 1.0f), "the campaign, one expert: " + percent(c.won[1][2]) + " (40% or more)");
    }
    for (size_t i = 1; i < figures.size(); ++i)
        target(within(figures[i].fight, 15, 45), "level " + std::to_string(numbered[i]) +
                                                     ", two steady pilots' boss fight: " + seconds(figures[i].fight) +
                                                     " s (15-45 s)");
    for (size_t i = 0; i < figures.size(); ++i)
        target((std::isnan(figures[i].worstStretch) || figures[i].worstStretch <= 0.35f) &&
                   (std::isnan(figures[i].opening) || figures[i].opening <= 0.05f),
               "level " + std::to_string(numbered[i]) + ", no wall: " + percent(figures[i].worstStretch) +
                   " of the steady pilots' losses in the worst 10 s (35% at most), " + percent(figures[i].opening) +
                   " in the first 20 s (5% at most)");
    std::fprintf(out, "%d target%s missed.\n", missed, missed == 1 ? "" : "s");
}

} // namespace

void playreport_print(std::FILE *out, const std::vector<PlayResult> &results, const std::vector<PlayProfile> &profiles,
                      const std::vector<std::string> &names)
{
    const std::vector<int> levels = levelsIn(results);
    for (const int level : levels) {
        if (levels.size() > 1 || level != 1) {
            const std::string name = level >= 1 && static_cast<size_t>(level) <= names.size()
                                         ? names[static_cast<size_t>(level) - 1]
                                         : "";
            if (level == play_campaign)
                std::fputs("\n== The campaign: every level in turn, lives carried over ==\n", out);
            else
                std::fprintf(out, "\n== Level %d %s ==\n", level, name.c_str());
        }
        printLevel(out, results, level, profileOf(profiles, level));
    }
    const bool has60 = std::any_of(results.begin(), results.end(), [](const PlayResult &r) { return r.run.fps == 60; });
    if (!results.empty())
        printTargets(out, results, levels, has60 ? 60 : results.front().run.fps);
}

bool playreport_plot(const std::string &png, const std::vector<PlayResult> &results,
                     const std::vector<PlayProfile> &profiles, int fps)
{
    std::string dir = (std::filesystem::temp_directory_path() / "trelvik-plot-XXXXXX").string();
    if (mkdtemp(dir.data()) == nullptr) {
        std::fprintf(stderr, "trelvik-check: cannot make a folder for the plot's data\n");
        return false;
    }
    std::vector<int> levels;
    for (const int level : levelsIn(results))
        if (level != play_campaign)
            levels.push_back(level);
    if (levels.empty())
        levels.push_back(1);
    const int playerCounts[] = {2, 1};
    size_t stretches = 1;
    for (const int level : levels)
        stretches = std::max(stretches, profileOf(profiles, level).enemies.size());
    for (const PlayResult &r : results)
        for (const float at : r.lossAt)
            if (r.run.level != play_campaign)
                stretches = std::max(stretches, stretchOf(at) + 1);
    for (const int level : levels) {
        const PlayProfile &profile = profileOf(profiles, level);
        const auto groups = grouped(results, level);
        std::ofstream data(dir + "/losses" + std::to_string(level) + ".dat");
        data << "# second enemies";
        for (const int players : playerCounts)
            for (const PilotSkill skill : pilot_skills)
                data << ' ' << players << 'P' << pilot_name(skill);
        data << '\n';
        for (size_t s = 0; s < stretches; ++s) {
            data << (static_cast<float>(s) + 0.5f) * play_stretch << ' '
                 << (s < profile.enemies.size() ? profile.enemies[s] : 0.0f);
            for (const int players : playerCounts) {
                for (const PilotSkill skill : pilot_skills) {
                    const auto found = groups.find({fps, players, skill, level});
                    if (found == groups.end() || found->second.empty()) {
                        data << " NaN";
                        continue;
                    }
                    const std::vector<int> losses = lossesByStretch(found->second, stretches);
                    data << ' ' << static_cast<float>(losses[s]) / static_cast<float>(found->second.size());
                }
            }
            data << '\n';
        }
    }
    {
        std::ofstream script(dir + "/plot.gp");
        script << "set terminal pngcairo size 1200," << 120 + 300 * levels.size() << " font 'sans,9'\n"
               << "set output " << quoted(png) << "\n"
               << "set multiplot layout " << levels.size() << ",2 title 'How hard each level is: lives lost per run "
               << "along the level, " << fps << " frames a second'\n"
               << "set style fill solid 0.35 noborder\nset boxwidth " << play_stretch * 0.9f << "\n"
               << "set xlabel 'seconds from the start of the scrolling (10-second stretches)'\n"
               << "set ylabel 'lives lost per run'\nset y2label 'enemies on screen (mean)'\n"
               << "set ytics nomirror\nset y2tics\nset yrange [0:*]\nset y2range [0:*]\nset key top left\n"
               << "set xrange [0:" << static_cast<float>(stretches) * play_stretch << "]\n";
        const char *colours[] = {"#d62728", "#1f77b4", "#2ca02c"};
        for (size_t cell = 0; cell < 2 * levels.size(); ++cell) {
            const int level = levels[cell / 2], panel = static_cast<int>(cell % 2);
            const PlayProfile &profile = profileOf(profiles, level);
            script << "unset arrow\nunset label\n";
            if (profile.stopSecond >= 0)
                script << "set arrow from " << profile.stopSecond << ", graph 0 to " << profile.stopSecond
                       << ", graph 1 nohead dt 2 lc rgb '#555555'\n"
                       << "set label 'boss' at " << profile.stopSecond << ", graph 0.9 right offset -1,0\n";
            script << "set title 'level " << level << ", " << playerCounts[panel]
                   << (playerCounts[panel] == 1 ? " player" : " players") << "'\nplot "
                   << quoted(dir + "/losses" + std::to_string(level) + ".dat")
                   << " using 1:2 axes x1y2 with boxes lc rgb '#bbbbbb' title 'enemies on screen'";
            for (int skill = 0; skill < 3; ++skill)
                script << ", '' using 1:" << 3 + panel * 3 + skill << " with linespoints lw 2 pt 7 lc rgb '"
                       << colours[skill] << "' title '" << pilot_name(pilot_skills[skill]) << "'";
            script << "\n";
        }
        script << "unset multiplot\n";
    }
    const std::string scriptPath = dir + "/plot.gp";
    char *const argv[] = {const_cast<char *>("gnuplot"), const_cast<char *>(scriptPath.c_str()), nullptr};
    pid_t pid = 0;
    int status = -1;
    const bool started = posix_spawnp(&pid, "gnuplot", nullptr, nullptr, argv, environ) == 0;
    if (started)
        waitpid(pid, &status, 0);
    std::filesystem::remove_all(dir);
    if (!started || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "trelvik-check: gnuplot could not draw %s (is gnuplot installed?)\n", png.c_str());
        return false;
    }
    return true;
}

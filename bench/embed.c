/* One round of bench/embed.sh in C: the library's call in this process
 * against starting a program and reading its answer, as a licence check
 * would do either: CALLS calls, then SPAWNS runs of each PROGRAM. Prints for
 * each way a line "C<TAB>way<TAB>nanoseconds per answer", after checking that
 * every way gives the same answer.
 *
 *     embed CALLS SPAWNS PROGRAM...
 */
#include <primary-mac.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char **environ;

static double Now(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1e9 + now.tv_nsec;
}

/* Runs `program` with its standard output a pipe, reads its answer into
 * `answer`; false when it could not run or did not exit 0. */
static int Spawn(const char *program, char *answer, size_t size) {
    int pipe_ends[2];
    if (pipe(pipe_ends) != 0)
        return 0;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipe_ends[0]);
    char *argv[] = {(char *)program, NULL};
    pid_t pid;
    const int spawned = posix_spawn(&pid, program, &actions, NULL, argv, environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(pipe_ends[1]);
    size_t used = 0;
    for (ssize_t n; (n = read(pipe_ends[0], answer + used, size - 1 - used)) > 0;)
        used += (size_t)n;
    answer[used] = '\0';
    close(pipe_ends[0]);
    int status = 1;
    return spawned && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

int main(int argc, char *argv[]) {
    if (argc < 4) {
        fprintf(stderr, "usage: embed CALLS SPAWNS PROGRAM...\n");
        return 2;
    }
    const int calls = atoi(argv[1]), spawns = atoi(argv[2]);
    char expected[PRIMARY_MAC_TEXT_SIZE], failure[PRIMARY_MAC_FAILURE_SIZE];
    if (calls < 1 || spawns < 1 ||
        primary_mac_get(expected, sizeof expected, failure, sizeof failure) < 0) {
        fprintf(stderr, "embed: %s\n", failure[0] ? failure : "bad arguments");
        return 1;
    }

    double start = Now();
    for (int call = 0; call < calls; ++call) {
        char mac[PRIMARY_MAC_TEXT_SIZE];
        if (primary_mac_get(mac, sizeof mac, NULL, 0) < 0 || strcmp(mac, expected) != 0) {
            fprintf(stderr, "embed: another answer in this process: %s\n", mac);
            return 1;
        }
    }
    printf("C\t`primary_mac_get()`\t%.0f\n", (Now() - start) / calls);
    for (int way = 3; way < argc; ++way) {
        start = Now();
        for (int spawn = 0; spawn < spawns; ++spawn) {
            char answer[64];
            if (!Spawn(argv[way], answer, sizeof answer) || strcmp(answer, expected) != 0) {
                fprintf(stderr, "embed: %s gave another answer: %s\n", argv[way], answer);
                return 1;
            }
        }
        printf("C\tspawn `%s`, read its output\t%.0f\n", argv[way], (Now() - start) / spawns);
    }
    return 0;
}

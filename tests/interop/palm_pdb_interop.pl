#!/usr/bin/perl
# Resource databases written by an independent implementation of the format
# (Palm::PDB with the Palm::Raw handler), fixed up by prcfix, then read back
# by Palm::PDB: the header and every resource must come back as expected.
#
# usage: palm_pdb_interop.pl PRCFIX WORK_DIRECTORY
use strict;
use warnings;
use File::Path qw(make_path);
use Palm::PDB;
use Palm::Raw;

# Raw handles resource databases too only when asked to.
&Palm::PDB::RegisterPRCHandlers("Palm::Raw", [ "", "" ]);

my ($prcfix, $work) = @ARGV;
die "usage: $0 PRCFIX WORK_DIRECTORY\n" unless defined $work;
make_path($work);

my ($passed, $failed) = (0, 0);

sub check {
    my ($ok, $what) = @_;
    if ($ok) { $passed++; } else { $failed++; print "not ok - $what\n"; }
}

sub data_for { my ($i) = @_; return join '', map { chr(($i * 31 + $_) % 256) } 0 .. (7 + 13 * $i); }

my @skin = qw(tver Tbmp Tbmp Tbmp Tbmp tSTR tSTR ovly Tbmp Tbmp tAIB tAIN);
my @cases = (
    { file => 'Blue.prc', expect => 'Blue', types => [@skin] },
    { file => 'StatusBarResources.prc', expect => 'Zurevir Iz ezuv', types => [@skin] },
    { file => 'statusbarresources.pdb', expect => 'statusbarresources', types => [@skin] },
    { file => 'my.skin.pdb', expect => 'my', types => [qw(ovly ovly Tbmp ovly)] },
    { file => ('N' x 40) . '.prc', expect => 'N' x 31, types => [qw(Tbmp)] },
    { file => 'Cases.prc', expect => 'Cases', types => [qw(OVLY Ovly ovlY ovly)] },
    { file => 'Empty.prc', expect => 'Empty', types => [] },
    { file => 'Flags.prc', expect => 'Flags', types => [qw(ovly)],
      attributes => { resource => 1, reset => 1, backup => 1, 'read-only' => 1, 'OK newer' => 1 } },
);

for my $case (@cases) {
    my $path = "$work/$case->{file}";
    my $attributes = $case->{attributes} || { resource => 1, reset => 1 };
    my $pdb = Palm::Raw->new();
    $pdb->{name} = 'StatusBarResources';
    $pdb->{type} = 'skin';
    $pdb->{creator} = 'Stbr';
    $pdb->{version} = 3;
    $pdb->{attributes} = { %$attributes };
    my $i = 0;
    for my $type (@{ $case->{types} }) {
        $pdb->append_Resource({ type => $type, id => 1000 + $i, data => data_for($i) });
        $i++;
    }
    $pdb->Write($path);

    my $status = system($prcfix, $path) >> 8;
    check($status == 0, "$case->{file}: exit status $status");

    my $back = Palm::PDB->new();
    $back->Load($path);
    check($back->{name} eq $case->{expect}, "$case->{file}: name '$back->{name}'");
    check($back->{type} eq 'rsrc', "$case->{file}: type '$back->{type}'");
    check($back->{creator} eq 'Vavo', "$case->{file}: creator '$back->{creator}'");
    check($back->{version} == 3, "$case->{file}: version");
    check(!$back->{attributes}{reset} && !$back->{attributes}{ResetAfterInstall},
          "$case->{file}: reset-after-install still set");
    for my $flag (sort keys %$attributes) {
        next if $flag eq 'reset';
        check($back->{attributes}{$flag}, "$case->{file}: flag '$flag' lost");
    }
    my @resources = @{ $back->{resources} || [] };
    check(@resources == @{ $case->{types} }, "$case->{file}: resource count");
    for my $n (0 .. $#resources) {
        my $want = $case->{types}[$n] eq 'ovly' ? 'OVLY' : $case->{types}[$n];
        my $r = $resources[$n];
        check($r->{type} eq $want, "$case->{file}: resource $n type '$r->{type}'");
        check($r->{id} == 1000 + $n, "$case->{file}: resource $n id");
        check($r->{data} eq data_for($n), "$case->{file}: resource $n data");
    }
}

print "$passed passed, $failed failed\n";
exit($failed == 0 ? 0 : 1);
